#pragma once

#include "platform/DialogItems.h"
#include "platform/mcwin.h"

class CResFile;
struct CDialogItemDescription;

#include <vector>

// A window built from a dialog resource: its controls by item ID, its tab
// pages, a default and a cancel item, and a result. The dialog is built on
// first use (start-up makes the main window before the language file is
// open); the open flag is 1 after a successful build and until EndDialog.
// Item setters do nothing for an unknown ID or while the dialog is not open,
// so a late call after the dialog ended cannot touch anything.
class CDialog : public CWindow, public CDialogItems {
public:
    explicit CDialog(int theDialogId);
    ~CDialog() override;

    // Builds the window and its entries from the dialog resource of our ID;
    // false (and an alert) when the resource is missing.
    bool Build();
    virtual void InitDialog() { }
    // Builds when needed, runs InitDialog, shows the dialog and runs a modal
    // loop until EndDialog; returns the result.
    virtual int DoModal();
    virtual void SelectTabPage(int thePage);
    void EndDialog(int theResult);
    // Ends the dialog as cancelled.
    void Close() override;
    void DoCommand(int theId, int theCode, long theParam) override;
    void Redraw(int theFlag, int theExtra) override;
    int GetDefaultItem() const override { return itsDefaultItem; }
    int GetCancelItem() const override { return itsCancelItem; }
    bool IsInModalLoop() const override { return bInModalLoop; }

    ControlEntry& AddEntry(const CDialogItemDescription& theItem, int thePage);
    using CWindow::AddEntry;
    // Adds the entries of item list thePage, hidden until the page is selected.
    void AddTabPage(int thePage);

    void SetItemText(int theItemId, const char* theText) override;
    void SetItemValue(int theItemId, long theValue) override;
    void RedrawItem(int theItemId) override;
    // The text the dialog resource gave the item.
    Cstring GetItemText(int theItemId) const;
    // The item shows every text it is given as it is, ampersands included.
    void ShowItemTextAsIs(int theItemId);
    void SetItemAccessibleName(int theItemId, const Cstring& theName);
    void SetItemRange(int theItemId, int32_t theMinimum, int32_t theMaximum);
    void EnableItem(int theItemId, bool bEnable);
    void ShowItem(int theItemId, bool bShow);
    void MoveItem(int theItemId, const CRect& theBounds);
    void InvalidateItem(int theItemId);
    // Disposes the item's widget; the entry stays with its ID made negative.
    void RemoveItem(int theItemId);
    // The widget's bounds, or the stored frame.
    CRect GetItemBounds(int theItemId) const;
    bool IsItemEnabled(int theItemId) const;
    void SetCancelItem(int theItemId);
    void SetDefaultItem(int theItemId);
    // Pushes pending drawing to the screen; the state needs nothing.
    virtual void FlushDrawing() { }

    int GetDialogId() const { return itsDialogId; }
    bool IsOpen() const { return bOpen; }
    int GetResult() const { return itsResult; }
    int GetCurrentPage() const { return itsCurrentPage; }

protected:
    // Opens the window for a modeless dialog: InitDialog, then shown.
    void OpenWithoutLoop();
    // The entry a setter may change: none while the dialog is not open.
    ControlEntry* OpenEntry(int theItemId);

    int itsDialogId;
    bool bBuilt = false;
    bool bOpen = false;
    bool bInModalLoop = false;
    int itsResult = 2;
    int itsDefaultItem = 0;
    int itsCancelItem = 0;
    int itsCurrentPage = 0;
    const CResFile* itsResFile = nullptr; // where the dialog came from; its pages too
    std::vector<int> itsPages;
};

// A dialog that opens without a modal loop: DoModal opens it and returns 1.
class CModelessDialog : public CDialog {
public:
    using CDialog::CDialog;
    int DoModal() override;
};
