#pragma once

// The item operations the engine needs from a window while it works: the
// extraction runs as one long call on the main thread with the event loop
// blocked, so every change must be drawn at once by the item itself.
// The dialog layer implements this on its windows; tests implement it to
// observe what is shown. Items are addressed by their item id; an id that no
// item has is ignored.
class CDialogItems {
public:
    virtual ~CDialogItems() = default;

    // A control's value, such as the position of a progress bar.
    virtual void SetItemValue(int theItemId, long theValue) = 0;
    virtual void SetItemText(int theItemId, const char* theText) = 0;
    // Draws one item now, without waiting for the event loop.
    virtual void RedrawItem(int theItemId) = 0;
};
