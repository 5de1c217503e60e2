#include "platform/PrintJob.h"

#include "platform/DrawSurface.h"
#include "platform/Host.h"
#include "platform/PrinterView.h"
#include "platform/mdialog.h"

#include <cstring>

namespace {

const char kUntitled[] = "Untitled Document";
const char kDefaultPrinter[] = "Default Printer";

} // namespace

CPrintJob::CPrintJob()
{
    itsTitle = "Print Job";
}

CPrintJob::~CPrintJob()
{
    Release();
}

int CPrintJob::Prepare()
{
    if (!itsPrinter)
        itsPrinter = Host().MakePrinter();
    if (!itsPrinter)
        return kPrintNoPageFormat;
    if (!bJobContext) {
        bJobContext = true;
        ++itsJobCounter;
        // The printer chosen before the job began becomes its printer.
        if (itsPrinterName.IsNotEmpty())
            itsPrinter->SetPrinter(itsPrinterName.GetText());
        itsPrinter->SetOutputFile(itsOutputFile.GetText());
    }
    return 0;
}

void CPrintJob::SetPrinter(const char* theName)
{
    if (!bJobContext) {
        itsPrinterName = theName ? theName : "";
        return;
    }
    if (theName && itsPrinter->SetPrinter(theName))
        itsPrinterName = theName;
}

void CPrintJob::SetDocumentName(const char* theName)
{
    itsDocumentName = theName ? theName : "";
}

void CPrintJob::SetOutputFile(const char* thePath)
{
    itsOutputFile = thePath ? thePath : "";
    if (itsPrinter)
        itsPrinter->SetOutputFile(itsOutputFile.GetText());
}

int CPrintJob::PageSetup()
{
    if (Prepare() != 0)
        return 1;
    const bool bAccepted = itsPrinter->PageSetupDialog();
    ReleaseContext();
    return bAccepted ? 0 : 1;
}

int CPrintJob::BeginDocument()
{
    if (bDocumentOpen || Prepare() != 0)
        return 1;
    bPrintSettings = true;
    const char* name = itsDocumentName.IsEmpty() ? kUntitled : itsDocumentName.GetText();
    // A cancelled dialog counts as an error, and leaves no job context.
    if (!itsPrinter->PrintDialog(itsPageCount) || !itsPrinter->BeginDocument(name)) {
        ReleaseContext();
        return 1;
    }
    bDocumentOpen = true;
    itsPageNumber = 0;
    return 0;
}

int CPrintJob::BeginPage()
{
    if (bDocumentOpen && !bPageOpen) {
        itsPage = itsPrinter->BeginPage();
        if (itsPage) {
            ++itsPageNumber;
            itsFrame = itsPrinter->PageRect();
            SetPaintSurface(this, itsPage);
        }
    }
    bPageOpen = true;
    return itsPage ? 0 : 1;
}

int CPrintJob::EndPage()
{
    const bool bEnded = bPageOpen && itsPage && itsPrinter->EndPage();
    SetPaintSurface(this, nullptr);
    itsPage = nullptr;
    bPageOpen = false;
    return bEnded ? 0 : 1;
}

int CPrintJob::EndDocument()
{
    if (!bDocumentOpen)
        return 1;
    if (bPageOpen)
        EndPage();
    const bool bEnded = itsPrinter->EndDocument();
    bDocumentOpen = false;
    return bEnded ? 0 : 1;
}

void CPrintJob::Release()
{
    EndDocument();
    ReleaseContext();
    itsPaintDepth = 0;
}

void CPrintJob::ReleaseContext()
{
    bPrintSettings = false;
    if (bJobContext && itsJobCounter > 0)
        --itsJobCounter;
    bJobContext = false;
}

void CPrintJob::GetResolution(int& theHorizontal, int& theVertical) const
{
    theHorizontal = theVertical = 72;
    if (itsPrinter)
        itsPrinter->GetResolution(theHorizontal, theVertical);
}

CRect CPrintJob::GetPageRect() const
{
    return itsPrinter ? itsPrinter->PageRect() : CRect();
}

int CPrintJob::FillPrinterPopup(CDialog& theDialog, int theItemId)
{
    if (const int status = Prepare(); status != 0)
        return status;
    const std::vector<Cstring> names = itsPrinter->PrinterNames();
    if (names.empty())
        return kPrintNoPrinter;
    int current = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        theDialog.SetItemText(theItemId, names[i].GetText());
        if (names[i] == itsPrinterName)
            current = static_cast<int>(i);
    }
    theDialog.SetItemValue(theItemId, current + 1);
    return 0;
}

Cstring CPrintJob::DefaultPrinterName()
{
    if (!itsPrinter)
        itsPrinter = Host().MakePrinter();
    const Cstring name = itsPrinter ? itsPrinter->DefaultPrinterName() : Cstring();
    return name.IsEmpty() ? Cstring(kDefaultPrinter) : name;
}

bool CPrintJob::Create(CWindow*)
{
    itsFrame = GetPageRect();
    return true;
}

bool CPrintJob::BeginPaint(int)
{
    ++itsPaintDepth;
    return true;
}
