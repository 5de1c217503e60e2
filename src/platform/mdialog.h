#pragma once

#include "platform/DialogItems.h"
#include "platform/controlentry.h"

class CResFile;
struct CDialogItemDescription;

#include <memory>
#include <vector>

// A dialog's state: its controls by item ID and its tab pages. Item setters do
// nothing for an unknown ID or while the dialog is not open, so a late call
// after the dialog ended cannot touch anything.
class CDialog : public CDialogItems {
public:
    explicit CDialog(int theDialogId);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Builds the entries and pages from the dialog resource of our ID; false
    // (and an alert) when the resource is missing.
    bool Build();
    virtual void InitDialog() { }
    // Builds when needed, runs InitDialog and opens the dialog; returns the result.
    virtual int DoModal();
    void EndDialog(int theResult);
    virtual void Close() { EndDialog(2); }
    virtual void DoCommand(int /*theCommand*/) { }
    // Shows the entries of thePage and hides those of every other page.
    virtual void SelectTabPage(int thePage);

    ControlEntry* FindEntry(int theItemId);
    const ControlEntry* FindEntry(int theItemId) const;
    ControlEntry& AddEntry(const ControlEntry& theEntry);
    ControlEntry& AddEntry(const CDialogItemDescription& theItem, int thePage);
    // Adds the entries of item list thePage, hidden until the page is selected.
    void AddTabPage(int thePage);

    void SetItemText(int theItemId, const char* theText) override;
    void SetItemValue(int theItemId, long theValue) override;
    void RedrawItem(int theItemId) override;
    // The text the dialog resource gave the item.
    Cstring GetItemText(int theItemId) const;
    void SetItemRange(int theItemId, int32_t theMinimum, int32_t theMaximum);
    void EnableItem(int theItemId, bool bEnable);
    void ShowItem(int theItemId, bool bShow);
    bool IsItemEnabled(int theItemId) const;
    void SetCancelItem(int theItemId) { itsCancelItem = theItemId; }
    void SetDefaultItem(int theItemId) { itsDefaultItem = theItemId; }
    // Pushes pending drawing to the screen; the state needs nothing.
    virtual void FlushDrawing() { }

    int GetDialogId() const { return itsDialogId; }
    bool IsOpen() const { return bOpen; }
    int GetResult() const { return itsResult; }
    int GetCurrentPage() const { return itsCurrentPage; }
    int GetCancelItem() const { return itsCancelItem; }
    const std::vector<std::unique_ptr<ControlEntry>>& Entries() const { return itsEntries; }

protected:
    // The entry a setter may change: none while the dialog is not open.
    ControlEntry* OpenEntry(int theItemId);

    int itsDialogId;
    bool bBuilt = false;
    bool bOpen = false;
    int itsResult = 2;
    int itsDefaultItem = 0;
    int itsCancelItem = 0;
    int itsCurrentPage = 0;
    const CResFile* itsResFile = nullptr; // where the dialog came from; its pages too
    std::vector<int> itsPages;
    std::vector<std::unique_ptr<ControlEntry>> itsEntries;
};

// A dialog that opens without a modal loop: DoModal opens it and returns 1.
class CModelessDialog : public CDialog {
public:
    using CDialog::CDialog;
    int DoModal() override;
};
