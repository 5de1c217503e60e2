#include "ui/WizardObserver.h"

#include "platform/MessageBox.h"
#include "platform/TextFormat.h"
#include "ui/Gblwin.h"
#include "ui/WindowTexts.h"

CWizardObserver::CWizardObserver(CDialogItems& thePage)
{
    itsItems.SetWindow(&thePage);
    itsItems.SetProgressItems(kItemProgressBar, kItemPercent, nullptr);
    itsItems.SetCounterItem(kItemCounter, LoadFormat(kTextFileOfFiles).GetText());
    itsItems.SetNameItem(kItemEntryName);
}

void CWizardObserver::ShowProgress(const UpdateProgress& theProgress)
{
    itsItems.Show(theProgress.itsName, theProgress.itsBytesDone, theProgress.itsTotalBytes,
        theProgress.itsFilesDone, theProgress.itsFileCount);
}

bool CWizardObserver::HasStopRequest()
{
    // The window's events are handled here: the run holds the main thread.
    return CheckEventQueueForUserCancel();
}

bool CWizardObserver::ConfirmStop(const char* theQuestion)
{
    return MessageBox(theQuestion, kMessageBoxYesNo) == kResultYes;
}
