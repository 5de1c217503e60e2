#pragma once

#include "engine/Progress.h"
#include "engine/UpdateObserver.h"

class CDialogItems;

// The wizard's side of an update run: progress on the items of the progress
// page, a stop request from the window's cancel (Escape, Ctrl+period, the
// Cancel button, the close button) confirmed by the person.
class CWizardObserver : public CUpdateObserver {
public:
    // thePage shows the progress and outlives the observer.
    explicit CWizardObserver(CDialogItems& thePage);

    void ShowProgress(const UpdateProgress& theProgress) override;
    bool HasStopRequest() override;
    bool ConfirmStop(const char* theQuestion) override;

private:
    CProgressItems itsItems;
};
