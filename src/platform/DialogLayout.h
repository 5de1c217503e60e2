#pragma once

#include "platform/Geometry.h"

#include <cstddef>
#include <vector>

// How a dialog's items make room for their texts and fit the screen. The
// dialog resource places each item at a rectangle made for one language at
// one scale; that rectangle is the item's least room. Items whose rectangles
// overlap in height form a row; a row grows to the tallest need of its items
// and pushes the rows below it down; the widest item of a row takes or gives
// what its neighbours need across. A last row of buttons stays at the bottom,
// and rows above it that belong to every page stay at the top; the rows
// between them (the page) scroll when the window cannot be tall enough.

enum class LayoutRole {
    kText, // grows in height for its text at the width it gets
    kButton, // keeps a size of its own, never takes a row's room
    kStretch, // a list or a text box that scrolls: gives up height first
    kFixed, // keeps its rectangle's height
    kSpace, // a text without words: keeps its height while the screen has room
};

struct CLayoutItem {
    CRect itsDesign; // the rectangle of the dialog resource
    LayoutRole itsRole = LayoutRole::kFixed;
    bool bOnEveryPage = false; // not an item of one page
    int itsWidth = 0; // the width it needs across on one line (0: its rectangle's)
    int itsMinWidth = 0; // the least width it can be given as a row's widest item
};

enum class LayoutRegion { kHeader, kBody, kFooter };

struct CLayoutPlace {
    CRect itsRect; // header and footer: in the window; body: in the body
    LayoutRegion itsRegion = LayoutRegion::kBody;
};

struct CDialogLayout {
    int itsWidth = 0; // the window's content
    int itsHeight = 0;
    int itsMinWidth = 0; // the least window the layout still fits, scrolling its body
    int itsMinHeight = 0;
    int itsPreferredWidth = 0; // the window that shows everything without scrolling
    int itsPreferredHeight = 0;
    int itsBodyTop = 0; // the body's place in the window
    int itsBodyBottom = 0;
    int itsBodyHeight = 0; // what the body holds; more than its place when it scrolls
    std::vector<CLayoutPlace> itsPlaces; // one for each item, in the items' order
};

// The height an item needs at a width; the host measures its widget.
class CLayoutMeasure {
public:
    virtual ~CLayoutMeasure() = default;
    virtual int HeightFor(std::size_t theItem, int theWidth) = 0;
};

// Lays theItems out in a window whose resource size is theDesign (width and
// height of a rectangle at 0, 0), as large as theWanted (the window's size
// now; at least the resource size while it fits) but within theAvailable.
CDialogLayout LayOutDialog(const std::vector<CLayoutItem>& theItems, const CRect& theDesign,
    const CRect& theWanted, const CRect& theAvailable, CLayoutMeasure& theMeasure);
