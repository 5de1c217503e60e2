#pragma once

#include "foundation/Cstring.h"

#include <cstdint>

// Framework kinds of the controls this system's dialogs use.
enum ControlKind {
    kKindNone = 0,
    kKindPushButton = 3,
    kKindCheckBox = 4,
    kKindEditText = 6,
    kKindLabel = 12,
    kKindTab = 13,
    kKindRadioButton = 14,
    kKindStaticText = 16,
    kKindMultiLineText = 21,
    kKindPicture = 22,
    kKindUserPane = 23,
    kKindListView = 24,
    kKindProgressBar = 28,
};

// What shows an entry on screen. The dialog state is complete without one;
// when a widget is attached, every change is mirrored into it at once.
class CControlView {
public:
    virtual ~CControlView() = default;
    virtual void ShowText(const Cstring& theText) = 0;
    virtual void ShowValue(int32_t theValue) = 0;
    virtual void ShowRange(int32_t theMinimum, int32_t theMaximum) = 0;
    virtual void ShowEnabled(bool bEnabled) = 0;
    virtual void ShowVisible(bool bVisible) = 0;
    virtual void Redraw() = 0;
};

// One control of a dialog: its kind, its item ID and the state that the item
// operations set.
struct ControlEntry {
    int itsKind = kKindNone;
    int itsItemId = 0;
    int itsPage = 0; // the page item list that holds it; 0 on every page
    Cstring itsText; // current title or contents
    Cstring itsSecondText; // the text the dialog resource gave it
    int32_t itsValue = 0;
    int32_t itsMinimum = 0;
    int32_t itsMaximum = 0;
    bool bEnabled = true;
    bool bVisible = true; // as the resource says; pages hide and show on top of it
    bool bShown = true; // visible now
    int itsRedrawCount = 0; // how often the item was asked to redraw
    CControlView* itsView = nullptr; // not owned

    // The kinds that take a range: scroll bars (8, 15, 19) and progress bars.
    bool HasRange() const
    {
        return itsKind == 8 || itsKind == 15 || itsKind == 19 || itsKind == kKindProgressBar;
    }
};
