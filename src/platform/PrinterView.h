#pragma once

#include "foundation/Cstring.h"
#include "platform/Geometry.h"

#include <vector>

class CDrawSurface;

// The toolkit's part of a print job: one printer with its page set-up, kept
// from one document to the next, and the document being printed.
class CPrinterView {
public:
    virtual ~CPrinterView() = default;

    // The printers there are, and the default one (empty when there is none).
    virtual std::vector<Cstring> PrinterNames() const = 0;
    virtual Cstring DefaultPrinterName() const = 0;
    // Makes the named printer current; false when there is none of that name.
    virtual bool SetPrinter(const char* theName) = 0;
    // Prints into a PDF file at thePath instead of a printer, without asking
    // where; empty goes back to the printer.
    virtual void SetOutputFile(const char* thePath) = 0;
    // The toolkit's dialogs; true when the user accepted them.
    virtual bool PageSetupDialog() = 0;
    virtual bool PrintDialog(int theLastPage) = 0;

    virtual bool BeginDocument(const char* theName) = 0;
    // The surface of a new page, or null when the page cannot begin.
    virtual CDrawSurface* BeginPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDocument() = 0;

    virtual void GetResolution(int& theHorizontal, int& theVertical) const = 0;
    // The page in the surface's pixels, the paper's edges included.
    virtual CRect PageRect() const = 0;
};
