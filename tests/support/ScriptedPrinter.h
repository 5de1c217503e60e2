#pragma once

#include "platform/DrawSurface.h"
#include "platform/PrinterView.h"

#include <string>
#include <vector>

// A page of 80 x 100 pixels on which each character of text is 5 pixels wide
// and each line 10 high; it keeps the lines drawn.
class CRecordingSurface : public CDrawSurface {
public:
    CRect Bounds() const override { return { 0, 0, 100, 80 }; }
    void DrawImage(const CImage&, const CRect&, const CRect&) override { }
    void SetFont(const char*, int) override { }
    int LineHeight() const override { return 10; }
    int Ascent() const override { return 8; }
    int TextWidth(const char* theText) const override;
    void DrawText(int, int, const char* theText) override { itsLines.push_back(theText); }

    std::vector<std::string> itsLines;
};

// What a test host's printers are and how they answer.
struct CPrinterScript {
    std::vector<std::string> itsNames; // besides the default printer
    std::string itsDefaultPrinter;
    bool bCanPrint = true;
    bool bAccept = true; // the dialogs
    std::string itsPrinter; // the printer made current
    std::vector<std::string> itsCalls; // what the printer was asked, in order
    CRecordingSurface itsPage; // every page draws here
};

// A printer that answers from a script and records into it.
class CScriptedPrinter : public CPrinterView {
public:
    explicit CScriptedPrinter(CPrinterScript& theScript)
        : itsScript(theScript)
    {
    }

    std::vector<Cstring> PrinterNames() const override;
    Cstring DefaultPrinterName() const override { return itsScript.itsDefaultPrinter.c_str(); }
    bool SetPrinter(const char* theName) override;
    void SetOutputFile(const char*) override { }
    bool PageSetupDialog() override { return Call("setup", itsScript.bAccept); }
    bool PrintDialog(int) override { return Call("dialog", itsScript.bAccept); }
    bool BeginDocument(const char* theName) override
    {
        return Call(std::string("document:") + theName, true);
    }
    CDrawSurface* BeginPage() override { return Call("page", true) ? &itsScript.itsPage : nullptr; }
    bool EndPage() override { return Call("end page", true); }
    bool EndDocument() override { return Call("end document", true); }
    void GetResolution(int& theHorizontal, int& theVertical) const override
    {
        theHorizontal = theVertical = 600;
    }
    CRect PageRect() const override { return itsScript.itsPage.Bounds(); }

private:
    bool Call(const std::string& theCall, bool bResult);

    CPrinterScript& itsScript;
};
