#pragma once

#include "foundation/Cstring.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <memory>

class CWindow;
struct CKeyEvent;

// Framework kinds of controls; the toolkit makes the nearest widget for each.
enum ControlKind {
    kKindNone = 0,
    kKindPushButton = 3,
    kKindCheckBox = 4,
    kKindEditText = 6,
    kKindGroupBox = 7,
    kKindHScrollBar = 8,
    kKindList = 9,
    kKindLittleArrows = 10,
    kKindPopUp = 11,
    kKindLabel = 12,
    kKindTab = 13,
    kKindRadioButton = 14,
    kKindStaticText = 16,
    kKindVScrollBar = 19,
    kKindCombo = 20,
    kKindMultiLineText = 21,
    kKindPicture = 22,
    kKindUserPane = 23,
    kKindListView = 24,
    kKindEditMultiLineText = 25,
    kKindProgressBar = 28,
};

// Families that IsKindOf tests besides the kinds themselves.
enum ControlFamily {
    kFamilyToggle = 1, // 4, 14
    kFamilyButton = 2, // 3, 4, 14
    kFamilyClickValue = 5, // 3, 4, 8, 14, 19
    kFamilyScrollBar = 15, // 8, 19
    kFamilyText = 17, // 6, 16, 25
    kFamilyTitled = 18, // 7, 10, 11, 20
    kFamilyEditText = 26, // 6, 25
    kFamilyEditable = 27, // 6, 20, 25: the edit commands act on these
    kFamilyAnyControl = 34, // every kind but 0, 1, 2, 15, 34
};

// True when theKind is theFamily or belongs to it.
bool IsKindOf(int theKind, int theFamily);
// The text a widget of theKind shows for theText: kinds 12, 16 and 20 drop
// each ampersand and keep the character after it (so "&&" shows one); kinds
// 6, 21 and 25 show line feeds as blanks.
Cstring DisplayText(int theKind, const Cstring& theText);
struct ControlEntry;
// What the entry's widget shows for its text now.
Cstring DisplayText(const ControlEntry& theEntry);
// Whether an entry of theKind starts shown when its resource marks it hidden:
// push buttons, pop-ups, scroll bars, user panes, list views and progress bars
// do; every other kind starts hidden.
bool ShownWhenMarkedHidden(int theKind);

// The edit commands of the shell, as the host's four-character codes.
constexpr uint32_t FourCharCode(const char* theCode)
{
    return (uint32_t(uint8_t(theCode[0])) << 24) | (uint32_t(uint8_t(theCode[1])) << 16)
        | (uint32_t(uint8_t(theCode[2])) << 8) | uint32_t(uint8_t(theCode[3]));
}

// What shows an entry on screen. The entry's state is complete without one;
// when a view is attached, every change is mirrored into it at once.
class CControlView {
public:
    virtual ~CControlView() = default;
    virtual void ShowText(const Cstring& theText) = 0;
    virtual void ShowValue(int32_t theValue) = 0;
    virtual void ShowRange(int32_t theMinimum, int32_t theMaximum) = 0;
    virtual void ShowEnabled(bool bEnabled) = 0;
    virtual void ShowVisible(bool bVisible) = 0;
    // Draws the item now, even while the event loop is blocked.
    virtual void Redraw() = 0;
    virtual void ShowBounds(const CRect& /*theBounds*/) { }
    // The button that Return (default) or Escape (cancel) presses.
    virtual void ShowDefault(bool /*bDefault*/) { }
    virtual void ShowCancel(bool /*bCancel*/) { }
    virtual void TakeFocus() { }
    virtual void DropFocus() { }
    // What a screen reader calls the control.
    virtual void ShowAccessibleName(const Cstring& /*theName*/) { }
    // Hands a key to the widget; true when it took it.
    virtual bool TakeKey(const CKeyEvent& /*theKey*/) { return false; }
    // Undo, redo, cut, copy, paste or select all on an editable text; true
    // when the widget took the command.
    virtual bool EditCommand(uint32_t /*theCommand*/) { return false; }
};

// One control of a window: its kind, its item ID and the state that the item
// operations set.
struct ControlEntry {
    CWindow* itsOwner = nullptr;
    int itsKind = kKindNone;
    int itsItemId = 0; // minus the ID once removed
    int itsPage = 0; // the page item list that holds it; 0 on every page
    Cstring itsText; // current title or contents
    Cstring itsSecondText; // the text the dialog resource gave it
    Cstring itsAccessibleName; // its role on the page; when empty, its text or its label names it
    CRect itsBounds; // in the owner's coordinates
    int32_t itsValue = 0;
    int32_t itsMinimum = 0;
    int32_t itsMaximum = 0;
    bool bEnabled = true;
    bool bVisible = true; // as the resource says
    bool bStartsShown = true; // what the kind makes of bVisible; pages hide and show on top of it
    bool bShown = true; // visible now
    bool bCreated = false; // the toolkit part exists (or the kind needs none)
    bool bShowsAsIs = false; // a path or a message, never a label: no ampersand is taken as a mark
    int itsRedrawCount = 0; // how often the item was asked to redraw
    CControlView* itsView = nullptr; // the widget, or an observer put in its place
    std::unique_ptr<CControlView> itsWidget; // the host's widget, owned

    bool IsKindOf(int theFamily) const { return ::IsKindOf(itsKind, theFamily); }
    // The kinds that take a range: scroll bars (8, 15, 19) and progress bars.
    bool HasRange() const
    {
        return itsKind == 8 || itsKind == 15 || itsKind == 19 || itsKind == kKindProgressBar;
    }
};
