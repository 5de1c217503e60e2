#pragma once

#include "foundation/Cstring.h"
#include "platform/Drawing.h"
#include "platform/Events.h"
#include "platform/Geometry.h"
#include "platform/controlentry.h"

#include <memory>
#include <vector>

class CMenuBar;

// The toolkit's part of a top-level window.
class CWindowView {
public:
    virtual ~CWindowView() = default;
    virtual void SetTitle(const Cstring& theTitle) = 0;
    // The content area in screen coordinates.
    virtual void SetFrame(const CRect& theFrame) = 0;
    virtual CRect GetFrame() const = 0;
    virtual void Show(bool bVisible) = 0;
    virtual void BringToFront() = 0;
    // Null: the whole content area.
    virtual void Invalidate(const CRect* pRect) = 0;
    virtual void SetMenuBar(CMenuBar* /*pMenuBar*/) { }
    // The surface a painting pass draws on, kept between passes; EndDraw shows
    // what was drawn. Null when the window cannot be drawn into.
    virtual CDrawContext* BeginDraw() { return nullptr; }
    virtual void EndDraw() { }
    // A solid ground in place of the theme's.
    virtual void SetBackground(int /*theRed*/, int /*theGreen*/, int /*theBlue*/) { }
};

enum WindowStyle : uint32_t {
    kStyleDocument = 0x2,
    kStyleChild = 0x4,
    kStyleHScroll = 0x10,
    kStyleCollapseBox = 0x20,
    kStyleFullZoom = 0x200,
    kStyleGrowBox = 0x400,
    kStyleShown = 0x800,
    kStyleVScroll = 0x1000,
    kStyleRegisterChild = 0x40000,
};

enum WindowClassFlag : uint32_t {
    kClassFloating = 0x1,
    kClassFloatingGroup = 0x2,
    kClassDocument = 0x10,
};

enum WindowKind {
    kWindowKindOrdinary = 1,
    kWindowKindDialog = 4,
};

// The framework's window. Application windows derive from it and override its
// virtual operations; the shell and the host call them with the message codes
// of Events.h. A window registers in the shell's window list for its life.
class CWindow {
public:
    CWindow();
    virtual ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    virtual void Activate(bool /*bActive*/) { }
    virtual void OnCreate() { }
    // Disposes the controls and the toolkit window; the object stays.
    virtual void Close();
    virtual void DoCommand(int /*theId*/, int /*theCode*/, long /*theParam*/) { }
    virtual bool QueryQuit() { return true; }
    virtual void ShowTooltip() { }
    virtual void Erase() { }
    virtual ControlEntry* FindEntryForControl(const CControlView* pView);
    // The first visible, enabled entry of theFamily after pAfter (from the
    // start when null), wrapping around, or null.
    virtual ControlEntry* NextEntryOfFamily(int theFamily, const ControlEntry* pAfter);
    virtual CWindow* HitTestChild(CPoint thePoint);
    virtual ControlEntry* FindEntryOfFamilyForControl(int theFamily, const CControlView* pView);
    // Raises the paint depth; a window with nothing to draw on stops the process.
    virtual bool BeginPaint(int theFlag);
    virtual void OnHScroll(int /*theBar*/, int /*thePart*/, int /*theValue*/) { }
    virtual void UpdateMenus(CMenuBar* /*pMenuBar*/) { }
    virtual void OnKeyDown(int /*theKeyCode*/, int /*theCharCode*/, int /*theModifiers*/, int /*theRepeat*/)
    {
    }
    virtual void MenuItemTargeted(CMenuBar* /*pMenuBar*/, int /*theCommand*/, int /*theFlags*/) { }
    virtual bool HandleMessage(int /*theMessage*/, int /*theWord*/, long /*theLong*/) { return true; }
    virtual void OnMouseDown(CPoint /*thePoint*/, int /*theCode*/, int /*theKeys*/) { }
    virtual void OnMouseDoubleClick(CPoint /*thePoint*/, int /*theCode*/, int /*theKeys*/) { }
    virtual void OnMouseMove(CPoint /*thePoint*/, int /*theKeys*/) { }
    virtual void OnMouseUp(CPoint /*thePoint*/, int /*theCode*/, int /*theKeys*/) { }
    virtual void OnMouseWheel(CPoint /*thePoint*/, int /*theDelta*/, int /*theKeys*/) { }
    // Makes the toolkit window; false when the host shows none.
    virtual bool Create(CWindow* pParent);
    virtual void Redraw(int theFlag, int theExtra);
    virtual void EndPaint();
    virtual void UpdateCursor() { }
    virtual void OnSize() { }
    // The base kills the timer: a window that sets one handles it.
    virtual void OnTimer(int theTimerId);
    virtual void OnVScroll(int /*theBar*/, int /*thePart*/, int /*theValue*/) { }

    // A dialog answers with its own; a plain window has none.
    virtual int GetDefaultItem() const { return 0; }
    virtual int GetCancelItem() const { return 0; }
    virtual bool IsInModalLoop() const { return false; }

    // A key the toolkit received for this window, handled by the keyboard
    // rules; false when nothing took it and the toolkit may handle it.
    bool HandleKey(const CKeyEvent& theKey);

    void Show(bool bVisible);
    void SetTitle(const char* theTitle);
    void SetFrame(const CRect& theFrame);
    // Keeps the frame on the screen; bit 0 of theFlags moves an overlong frame
    // instead of shrinking it.
    void ConstrainToScreen(int theFlags);
    int SetWindowTimer(int theTimerId, unsigned theMilliseconds);
    void KillWindowTimer(int theTimerId);
    void InvalidateRect(const CRect* pRect);

    // Drawing, inside a BeginPaint/EndPaint pass; outside one nothing is drawn.
    // A fill uses the selected brush, a frame or line the selected pen, text
    // the selected font (the default font when none) and the text colour.
    void SelectBrush(const CColor* pColor);
    void SelectPen(const CColor* pColor);
    void SelectFont(const CFontSpec* pFont);
    void SetTextColor(CColor theColor) { itsTextColor = theColor; }
    // Copy, or exclusive-or so that a second fill restores what was there.
    void SetRasterMode(int theMode) { itsRasterMode = theMode; }
    void FillRect(const CRect& theRect);
    void FrameRect(const CRect& theRect);
    void MoveTo(int theX, int theY) { itsPenPosition = { theX, theY }; }
    void LineTo(int theX, int theY);
    void DrawText(int theLeft, int theTop, const char* theText);
    int TextWidth(const char* theText);
    // Picture theId of the resources, scaled into theRect.
    bool DrawPicture(int thePictureId, const CRect& theRect);
    CDrawContext* Drawing() const { return itsDrawing; }

    ControlEntry* FindEntry(int theItemId);
    const ControlEntry* FindEntry(int theItemId) const;
    ControlEntry& AddEntry(const ControlEntry& theEntry);
    // Makes the toolkit widget of theEntry when the window has one.
    void CreateControl(ControlEntry& theEntry);
    ControlEntry* GetFocus() const { return itsFocus; }
    // Null clears the focus.
    void SetFocus(ControlEntry* pEntry);
    // The toolkit moved the focus (a click): the entry is told nothing.
    void NoteFocus(ControlEntry* pEntry) { itsFocus = pEntry; }
    // The text entry that names pEntry for a screen reader: on its row just to
    // the left, else just above it and aligned with it; null when none.
    const ControlEntry* LabelFor(const ControlEntry& theEntry) const;
    const std::vector<std::unique_ptr<ControlEntry>>& Entries() const { return itsEntries; }

    int GetWindowKind() const { return itsWindowKind; }
    const Cstring& GetTitle() const { return itsTitle; }
    const CRect& GetFrame() const { return itsFrame; }
    uint32_t GetStyle() const { return itsStyle; }
    void SetStyle(uint32_t theStyle) { itsStyle = theStyle; }
    uint32_t GetClassFlags() const { return itsClassFlags; }
    void SetClassFlags(uint32_t theFlags) { itsClassFlags = theFlags; }
    bool IsVisible() const { return bVisible; }
    int GetPaintDepth() const { return itsPaintDepth; }
    CWindowView* GetView() const { return itsView.get(); }
    // Shows theMenuBar in the window (null: none); not owned.
    void SetMenuBar(CMenuBar* pMenuBar);
    CMenuBar* itsMenu = nullptr; // the window's menu bar, owned by whoever built it

protected:
    int itsWindowKind = kWindowKindOrdinary;
    Cstring itsTitle = "Window";
    CRect itsFrame;
    uint32_t itsStyle = 0x662;
    uint32_t itsClassFlags = 0;
    bool bVisible = false;
    int itsPaintDepth = 0;
    std::unique_ptr<CWindowView> itsView;
    CDrawContext* itsDrawing = nullptr; // during a painting pass
    bool bBrushSelected = false;
    bool bPenSelected = false;
    bool bFontSelected = false;
    CColor itsBrush;
    CColor itsPen;
    CColor itsTextColor;
    CFontSpec itsFont;
    CPoint itsPenPosition;
    int itsRasterMode = kRasterCopy;
    std::vector<std::unique_ptr<ControlEntry>> itsEntries;
    ControlEntry* itsFocus = nullptr;

private:
    void DisposeControls();
};
