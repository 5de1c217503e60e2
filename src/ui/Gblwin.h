#pragma once

#include "foundation/Cstring.h"

// The main updater window: the six-page wizard built from dialog resource 150.
class CGlobalWin {
public:
    explicit CGlobalWin(int theDialogId)
        : itsDialogId(theDialogId)
    {
    }
    virtual ~CGlobalWin() = default;

    // Opens the window as a modeless dialog and fills its pages.
    virtual void Open() { bOpen = true; }
    // Positions the window on the screen and shows it.
    virtual void Show() { }
    bool IsOpen() const { return bOpen; }
    int GetDialogId() const { return itsDialogId; }

private:
    int itsDialogId;
    bool bOpen = false;
};
