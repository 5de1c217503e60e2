#pragma once

#include "platform/Geometry.h"

#include <QPointer>

class CWindow;
class CQtWindowWidget;
class QScrollArea;
class QWidget;
struct ControlEntry;

// Places a dialog's controls for their texts at the current font and scale
// and sizes its window to fit them and the screen (platform/DialogLayout.h).
// The rows of the page live in a scrolled body, which scrolls only when the
// screen is too small for the page even with its lists and text boxes at
// their least. The rectangles of the dialog resource stay the items' frames
// in the framework; only the widgets move.
class CQtDialogLayout {
public:
    // pWindow is the dialog's top-level widget, pContent the parent of its controls.
    CQtDialogLayout(CWindow& theWindow, CQtWindowWidget* pWindow, QWidget* pContent);

    // Lays every shown control out and resizes the window to what they need,
    // within the screen's available area. Does nothing until first asked
    // with bStart, when the window is about to show.
    void Apply(bool bStart = false);
    // Lays out again when theEntry's text no longer fits the place it has.
    void TextChanged(const ControlEntry& theEntry);
    bool IsActive() const { return bActive; }
    // The widget that holds the page's rows; null until the first layout.
    QWidget* Body() const;

private:
    CRect Available() const;

    CWindow& itsWindow;
    CQtWindowWidget* itsTop;
    QWidget* itsContent;
    CRect itsDesign;
    QPointer<QScrollArea> itsScroller;
    QPointer<QWidget> itsBody;
    bool bActive = false;
    bool bApplying = false;
};
