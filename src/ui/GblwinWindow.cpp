// The main window as a window: its title, the splash, where it stands on the
// screen, and its end.

#include "engine/UpdaterGlobals.h"
#include "foundation/ProfileSettings.h"
#include "platform/Framework.h"
#include "platform/Host.h"
#include "platform/MenuBar.h"
#include "platform/Shell.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <algorithm>

bool CGlobalWin::Create(CWindow* pParent)
{
    itsTitle = LibraryFirstText(10000);
    itsMenuBar = std::make_unique<CMenuBar>();
    itsMenuBar->Load(130);
    itsMenu = itsMenuBar.get(); // the window shows it when it is made
    if (!CModelessDialog::Create(pParent))
        return false;
    Shell().itsMainWindow = this;
    PlaceWindow();
    itsSplash = std::make_unique<CSplashWin>(*this);
    itsSplash->Create(this);
    return true;
}

// At the saved place when there is one on the screen, else in the middle of it.
void CGlobalWin::PlaceWindow()
{
    CRect frame = itsFrame;
    const CShortRect& saved = GlobalLocation;
    if (saved.top > 0 && saved.left > 0) {
        frame.Offset(saved.left - frame.left, saved.top - frame.top);
    } else {
        const CRect screen = Host().ScreenBounds();
        frame.Offset(screen.left + (screen.Width() - frame.Width()) / 2 - frame.left,
            screen.top + std::max(0, (screen.Height() - frame.Height()) / 3) - frame.top);
    }
    SetFrame(frame);
    ConstrainToScreen(1);
}

int CGlobalWin::DoModal()
{
    const int result = CModelessDialog::DoModal();
    if (itsSplash) {
        itsSplash->Show(true);
        if (CWindowView* view = itsSplash->GetView())
            view->BringToFront();
    }
    return result;
}

void CGlobalWin::CloseSplash()
{
    if (!itsSplash)
        return;
    itsSplash->Close();
    itsSplash.reset();
}

bool CGlobalWin::QueryQuit()
{
    Shell().bQuitting = true;
    CloseSplash();
    return true;
}

void CGlobalWin::Redraw(int theFlag, int theExtra)
{
    CModelessDialog::Redraw(theFlag, theExtra);
    RedrawItem(kItemFolderList);
}

void CGlobalWin::Close()
{
    if (bGlobalClosed)
        return;
    bGlobalClosed = true;
    CloseSplash();
    if (itsView) {
        const CRect frame = itsView->GetFrame();
        GlobalLocation = { static_cast<int16_t>(frame.top), static_cast<int16_t>(frame.left),
            static_cast<int16_t>(frame.bottom), static_cast<int16_t>(frame.right) };
    }
    CModelessDialog::Close();
    QuitApplicationEventLoop();
}
