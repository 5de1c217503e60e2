#include "support/TestHost.h"

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

void CTestHost::RunApplicationLoop()
{
    if (itsLoopScript)
        itsLoopScript();
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
    return bTakesKeys;
}

bool CRecordingControlView::EditCommand(uint32_t theCommand)
{
    const char code[5]
        = { char(theCommand >> 24), char(theCommand >> 16), char(theCommand >> 8), char(theCommand), 0 };
    itsCalls.push_back(std::string("edit:") + code);
    return bTakesKeys;
}

std::unique_ptr<CPrinterView> CTestHost::MakePrinter()
{
    return itsPrinting.bCanPrint ? std::make_unique<CScriptedPrinter>(itsPrinting) : nullptr;
}
