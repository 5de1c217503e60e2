#pragma once

#include "platform/Drawing.h"
#include "platform/mcwin.h"

#include <memory>

// A window that draws into memory instead of onto the screen: an image of a
// fixed size that painting passes draw into, for export or later copying.
class CMemWin : public CWindow {
public:
    CMemWin(int theWidth, int theHeight);
    ~CMemWin() override;

    bool BeginPaint(int theFlag) override;
    void EndPaint() override;
    CDrawContext* GetOffscreen() const { return itsOffscreen.get(); }

protected:
    std::unique_ptr<CDrawContext> itsOffscreen;
};

// An off-screen bitmap window: as a memory window, and it checks at the end
// of the last painting pass that no brush, pen or font is still selected.
class CDibWin : public CMemWin {
public:
    using CMemWin::CMemWin;
    bool BeginPaint(int theFlag) override;
    void EndPaint() override;
};
