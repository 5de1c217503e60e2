#include "ui/Splash.h"

#include "platform/Host.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "platform/TextFormat.h"
#include "ui/WindowTexts.h"

namespace {

const int kPicture = 233;
const int kMargin = 20;
const int kPictureWidth = 360;
const int kPictureHeight = 120;
const int kLineHeight = 20;
const int kWidth = kPictureWidth + 2 * kMargin;
const int kHeight = kMargin + kPictureHeight + 12 + 3 * kLineHeight + kMargin;

enum SplashItem {
    kItemPicture = 1,
    kItemTitle,
    kItemVersion,
    kItemSystem,
};

} // namespace

Cstring LibraryFirstText(int theTextId)
{
    Cstring text;
    if (gLibraryResFile && gLibraryResFile->IsOpen())
        text = LoadString(theTextId, gLibraryResFile);
    return text.IsEmpty() ? LoadString(theTextId) : text;
}

Cstring SplashTitleLine()
{
    Cstring title = LibraryFirstText(10010);
    if (gLibraryResFile && gLibraryResFile->IsOpen()) {
        const Cstring edition = LoadString(10001, gLibraryResFile);
        if (edition.IsNotEmpty()) {
            title += ", ";
            title += edition;
        }
    }
    return title;
}

CSplashWin::CSplashWin(CWindow& theParent)
    : itsParent(theParent)
{
    // A plain window: no title bar, no close box.
    itsStyle &= ~uint32_t(kStyleDocument);
    itsTitle = "";
}

bool CSplashWin::Create(CWindow* pParent)
{
    // Centred over the main window as it stands on the screen, which may be
    // smaller than its resource on a small screen.
    const CRect parent = pParent ? (pParent->GetView() ? pParent->GetView()->GetFrame() : pParent->GetFrame())
                                 : Host().ScreenBounds();
    itsFrame.top = parent.top + (parent.Height() - kHeight) / 2;
    itsFrame.left = parent.left + (parent.Width() - kWidth) / 2;
    itsFrame.bottom = itsFrame.top + kHeight;
    itsFrame.right = itsFrame.left + kWidth;

    ControlEntry picture;
    picture.itsKind = kKindPicture;
    picture.itsItemId = kItemPicture;
    picture.itsText.Format("%d", kPicture);
    picture.itsBounds = { kMargin, kMargin, kMargin + kPictureHeight, kMargin + kPictureWidth };
    AddEntry(picture);
    int top = kMargin + kPictureHeight + 12;
    AddText(kItemTitle, top, SplashTitleLine());
    Cstring folder, version, date;
    GetProgramInfo(folder, version, date);
    const Cstring versionLine
        = FormatText(date.IsEmpty() ? kTextVersion : kTextVersionAndDate, version.GetText(), date.GetText());
    AddText(kItemVersion, top += kLineHeight, versionLine);
    AddText(kItemSystem, top += kLineHeight, gSystemDescription);

    if (!CWindow::Create(pParent))
        return false;
    ConstrainToScreen(1);
    if (itsView)
        itsView->SetBackground(192, 192, 192);
    itsCountdown = kStartCount;
    SetWindowTimer(kTimerId, 1000);
    return true;
}

void CSplashWin::AddText(int theItemId, int theTop, const Cstring& theText)
{
    ControlEntry text;
    text.itsKind = kKindStaticText;
    text.itsItemId = theItemId;
    text.itsText = theText;
    text.itsBounds = { theTop, kMargin, theTop + kLineHeight, kWidth - kMargin };
    AddEntry(text);
}

void CSplashWin::OnTimer(int theTimerId)
{
    if (theTimerId == kTimerId)
        Tick();
    else
        CWindow::OnTimer(theTimerId);
}

void CSplashWin::OnMouseDown(CPoint, int, int)
{
    // Once the end is asked for, a further click asks for it only once.
    if (itsCountdown <= 0)
        return;
    itsCountdown = 1;
    Tick();
}

void CSplashWin::Tick()
{
    if (itsCountdown <= 0 || --itsCountdown > 0)
        return;
    KillWindowTimer(kTimerId);
    PostWindowMessage(&itsParent, kMsgDeferredCommand, kCommandSplashDone, 0);
}
