#pragma once

#include "foundation/Cstring.h"
#include "platform/mcwin.h"

#include <memory>

class CDialog;
class CDrawSurface;
class CPrinterView;

// Print Manager statuses that the callers see.
enum PrintStatus {
    kPrintNoPageFormat = -30870, // this host cannot print
    kPrintNoPrinter = -30873, // no printer is installed
    kPrintCancelled = 128,
};

// A print job: a window without a toolkit window of its own whose surface,
// while a page is open, is the page, so the framework's drawing prints. It
// keeps the page set-up across documents and knows the current printer by
// name. Idle -> prepared (job context) -> document open -> page open -> page
// closed -> document closed -> released. Every failure ends the job quietly:
// the operation answers 1 (or the status) and releases what it made.
class CPrintJob : public CWindow {
public:
    CPrintJob();
    ~CPrintJob() override;

    // Makes the job context and the page set-up: 0 or a status.
    int Prepare();
    // Without a job context the name is only stored; with one it is stored
    // once the printer has been made current.
    void SetPrinter(const char* theName);
    // "Untitled Document" is used while the name is empty.
    void SetDocumentName(const char* theName);
    // A PDF file to print into in place of the printer, without the print
    // dialog; empty prints on the printer again.
    void SetOutputFile(const char* thePath);
    // 0 when the user's page set-up was taken, 1 otherwise.
    int PageSetup();
    // 0 when a document is open for printing, 1 otherwise.
    int BeginDocument();
    // 0 when a page is open to draw on, 1 otherwise; a page already open is
    // kept, not begun again.
    int BeginPage();
    int EndPage();
    // 1, changing nothing, without an open document.
    int EndDocument();
    // Ends any document and releases the job context.
    void Release();
    void GetResolution(int& theHorizontal, int& theVertical) const;
    CRect GetPageRect() const;
    // Fills pop-up theItemId with the printers' names and selects the current
    // one: 0 or a status.
    int FillPrinterPopup(CDialog& theDialog, int theItemId);
    // The default printer's name, or "Default Printer" when it has none.
    Cstring DefaultPrinterName();

    bool Create(CWindow* pParent) override;
    void Close() override { Release(); }
    bool BeginPaint(int theFlag) override;
    void DoCommand(int, int, long) override { }

    // The page being drawn, or null between pages.
    CDrawSurface* PageSurface() const { return itsPage; }
    const Cstring& GetPrinterName() const { return itsPrinterName; }
    const Cstring& GetDocumentName() const { return itsDocumentName; }
    bool HasJobContext() const { return bJobContext; }
    bool IsDocumentOpen() const { return bDocumentOpen; }
    bool IsPageOpen() const { return bPageOpen; }
    int GetPageNumber() const { return itsPageNumber; }
    int itsPageCount = 1; // the last page offered in the print dialog

private:
    void ReleaseContext();

    std::unique_ptr<CPrinterView> itsPrinter; // the page set-up, once made
    Cstring itsDocumentName;
    Cstring itsPrinterName;
    Cstring itsOutputFile;
    CDrawSurface* itsPage = nullptr;
    bool bJobContext = false;
    bool bPrintSettings = false;
    bool bDocumentOpen = false;
    bool bPageOpen = false;
    int itsPageNumber = 0;
    int itsJobCounter = 0;
};
