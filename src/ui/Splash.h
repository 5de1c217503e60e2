#pragma once

#include "platform/mcwin.h"

// Command the splash posts to its parent when its countdown has run out.
constexpr int kCommandSplashDone = 800;

// The picture, the program's title, version and date, and the system, on a
// grey ground while the main window opens. Timer 1002 counts down from 3 once
// a second; a click brings the end to the next tick, at once. At 0 the
// parent hears command 800 and closes it.
class CSplashWin : public CWindow {
public:
    static constexpr int kTimerId = 1002;
    static constexpr int kStartCount = 3;

    explicit CSplashWin(CWindow& theParent);

    bool Create(CWindow* pParent) override;
    void OnTimer(int theTimerId) override;
    void OnMouseDown(CPoint thePoint, int theCode, int theKeys) override;

    int GetCountdown() const { return itsCountdown; }

private:
    void Tick();
    void AddText(int theItemId, int theTop, const Cstring& theText);

    CWindow& itsParent;
    int itsCountdown = kStartCount;
};

// The splash's title line: text 10010, with ", " and text 10001 when the
// legacy library file holds that; both from the library file first.
Cstring SplashTitleLine();
// The legacy library file's text when that file is open and has it, else
// the usual lookup.
Cstring LibraryFirstText(int theTextId);
