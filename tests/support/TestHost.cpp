#include "support/TestHost.h"

#include "platform/Resources.h"
#include "platform/mdialog.h"

#include <gtest/gtest.h>

CTestHost::CTestHost()
    : itsPrevious(&Host())
{
    SetHost(this);
}

CTestHost::~CTestHost()
{
    SetHost(itsPrevious);
}

std::unique_ptr<CWindowView> CTestHost::MakeWindow(CWindow&)
{
    return std::make_unique<CRecordingWindowView>();
}

std::unique_ptr<CControlView> CTestHost::MakeControl(CWindow&, ControlEntry& theEntry)
{
    // Labels and lists have no widget of their own.
    if (theEntry.itsKind == kKindLabel || theEntry.itsKind == kKindList)
        return nullptr;
    return std::make_unique<CRecordingControlView>();
}

bool CTestHost::RunModalLoop(CDialog& theDialog)
{
    if (itsModalScript)
        itsModalScript(theDialog);
    return !theDialog.IsOpen();
}

int CTestHost::ShowAlert(const CAlert& theAlert)
{
    itsAlerts.push_back(theAlert);
    if (!itsAlertAnswer)
        return theAlert.itsCancelButton;
    const int wanted = itsAlertAnswer(theAlert);
    for (int hit = 1; hit <= theAlert.itsButtonCount; ++hit)
        if (AlertResult(theAlert.itsFlags, hit) == wanted)
            return hit;
    ADD_FAILURE() << "no button of the alert \"" << theAlert.itsText.GetText() << "\" gives " << wanted;
    return 1;
}

int CTestHost::ChooseFolder(const char* thePrompt, Cstring& theFolder)
{
    return itsFolderAnswer ? itsFolderAnswer(thePrompt, theFolder) : 0;
}

int CTestHost::ChooseFileOrFolder(const char* thePrompt, const char*, Cstring& thePath)
{
    return itsPathAnswer ? itsPathAnswer(thePrompt, thePath) : 0;
}

int CTestHost::AskOverwrite(const char* thePath, uint32_t theEntryCount)
{
    return itsOverwriteAnswer ? itsOverwriteAnswer(thePath, theEntryCount)
                              : CHost::AskOverwrite(thePath, theEntryCount);
}

bool CTestHost::OpenDocument(const char* thePathOrUrl)
{
    itsDocuments.push_back(thePathOrUrl);
    return true;
}

std::vector<std::string> CTestHost::AlertTexts() const
{
    std::vector<std::string> texts;
    for (const CAlert& alert : itsAlerts)
        texts.push_back(alert.itsText.GetText());
    return texts;
}

bool CRecordingControlView::TakeKey(const CKeyEvent& theKey)
{
    itsCalls.push_back(
        "key:" + std::to_string(theKey.itsKeyCode) + "/" + std::to_string(theKey.itsModifiers));
    return true;
}

bool CRecordingControlView::EditCommand(uint32_t theCommand)
{
    const char code[5]
        = { char(theCommand >> 24), char(theCommand >> 16), char(theCommand >> 8), char(theCommand), 0 };
    itsCalls.push_back(std::string("edit:") + code);
    return true;
}

std::unique_ptr<CPrinterView> CTestHost::MakePrinter()
{
    return itsPrinting.bCanPrint ? std::make_unique<CScriptedPrinter>(itsPrinting) : nullptr;
}

std::unique_ptr<CDrawContext> CTestHost::MakeOffscreen(int, int)
{
    return std::make_unique<CRecordingDrawContext>();
}

void CRecordingDrawContext::Add(const char* theWhat, const CRect& theRect)
{
    itsCalls.push_back(std::string(theWhat) + " " + std::to_string(theRect.left) + ","
        + std::to_string(theRect.top) + " " + std::to_string(theRect.Width()) + "x"
        + std::to_string(theRect.Height()));
}

void CRecordingDrawContext::FillRect(const CRect& theRect, CColor theColor, int theMode)
{
    Add(theMode == kRasterXor ? "xor" : "fill", theRect);
    itsCalls.back() += " " + std::to_string(theColor.red) + "/" + std::to_string(theColor.green) + "/"
        + std::to_string(theColor.blue);
}

void CRecordingDrawContext::Line(CPoint theFrom, CPoint theTo, CColor)
{
    itsCalls.push_back("line " + std::to_string(theFrom.x) + "," + std::to_string(theFrom.y) + " "
        + std::to_string(theTo.x) + "," + std::to_string(theTo.y));
}

void CRecordingDrawContext::DrawText(
    CPoint theTopLeft, const Cstring& theText, const CFontSpec& theFont, CColor)
{
    itsCalls.push_back("text " + std::to_string(theTopLeft.x) + "," + std::to_string(theTopLeft.y) + " "
        + theText.GetText() + " " + theFont.itsFamily.GetText() + " " + std::to_string(theFont.itsSize));
}

bool CRecordingDrawContext::DrawPicture(const std::string& theBytes, const CRect& theRect)
{
    Add("picture", theRect);
    return !theBytes.empty();
}

void OpenAppResources()
{
    if (!gAppResFile)
        gAppResFile = new CResFile();
}
