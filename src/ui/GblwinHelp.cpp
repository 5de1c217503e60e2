// The main window's help and printing: the help message, F1, the help topic
// timer, and File > Print.

#include "engine/UpdateNames.h"
#include "engine/UpdaterGlobals.h"
#include "platform/Framework.h"
#include "platform/PrintJob.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "platform/TextPrinter.h"
#include "ui/Gblwin.h"
#include "ui/mhelpfunc.h"

bool CGlobalWin::HandleMessage(int theMessage, int theWord, long theLong)
{
    if (theMessage == kMsgShowHelp) {
        ShowHelpIndex();
        return true;
    }
    if (theMessage == kMsgCopiesChecked) {
        TakeCheckedCopies();
        return true;
    }
    return CModelessDialog::HandleMessage(theMessage, theWord, theLong);
}

void CGlobalWin::OnTimer(int theTimerId)
{
    CModelessDialog::OnTimer(theTimerId); // a timer fires once here
    if (theTimerId == kHelpTopicTimer && itsHelpTopicId != 0) {
        const int topic = itsHelpTopicId;
        itsHelpTopicId = 0;
        ShowHelpTopicURLByID(topic);
    }
}

void CGlobalWin::OnKeyDown(int theKeyCode, int theCharCode, int theModifiers, int theRepeat)
{
    if (theKeyCode == kKeyF1 || theKeyCode == kKeyHelp)
        PostWindowMessage(this, kMsgShowHelp, 0, 0);
    CModelessDialog::OnKeyDown(theKeyCode, theCharCode, theModifiers, theRepeat);
}

int CGlobalWin::PrintDocument()
{
    // After a run its log tells what happened; before one, the readme.
    Cstring path = itsKit.Readme();
    const char* title = "readme.txt";
    const Cstring log = Cstring::Path(itsTargetFolder, kLogName);
    if ((itsCurrentPage == kPageDone || itsCurrentPage == kPageFailed) && itsTargetFolder.IsNotEmpty()
        && FileExists(log.GetText())) {
        path = log;
        title = kLogName;
    }
    Cstring text = ReadTextFile(path.GetText());
    if (text.IsEmpty() && path != log)
        text = Cstring(10012);
    CPrintJob ownJob;
    return PrintText(gFramework.itsPrintJob ? *gFramework.itsPrintJob : ownJob, title, text);
}

void CGlobalWin::ShowHelpTopicLater(int theStringId)
{
    itsHelpTopicId = theStringId;
    SetWindowTimer(kHelpTopicTimer, 100);
}
