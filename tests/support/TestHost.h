#pragma once

#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/controlentry.h"
#include "platform/mcwin.h"
#include "support/ScriptedPrinter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A host for tests of the logic: alerts, the folder chooser, the overwrite
// question and the cancel poll are answered by the test; modal loops run a
// script; the clock and the idle tick are driven by the test, never by time.
// It records what was shown. Made, it becomes the current host; destroyed, it
// puts the previous one back.
class CTestHost : public CHost {
public:
    CTestHost();
    ~CTestHost() override;
    CTestHost(const CTestHost&) = delete;
    CTestHost& operator=(const CTestHost&) = delete;

    bool HasWindows() const override { return true; }
    std::unique_ptr<CWindowView> MakeWindow(CWindow& theWindow) override;
    std::unique_ptr<CControlView> MakeControl(CWindow& theOwner, ControlEntry& theEntry) override;
    std::unique_ptr<CDrawContext> MakeOffscreen(int, int) override;
    CRect ScreenBounds() const override { return itsScreen; }
    int MenuBarHeight() const override { return itsMenuBarHeight; }
    CWindow* FrontWindow() const override { return itsFrontWindow; }

    void RunApplicationLoop() override { }
    void QuitApplicationLoop() override { ++itsLoopQuits; }
    bool RunModalLoop(CDialog& theDialog) override;
    void EndModalLoop(CDialog&) override { ++itsModalEnds; }
    void StartIdleTick() override { }
    void StopIdleTick() override { }
    void WakeForPostedMessages() override { ++itsWakes; }
    uint64_t Microseconds() const override { return itsNow; }

    // Answers with the button that gives the result code the test's answerer
    // returns; without an answerer, with the cancel button.
    int ShowAlert(const CAlert& theAlert) override;
    int ChooseFolder(const char* thePrompt, Cstring& theFolder) override;
    int ChooseFileOrFolder(const char* thePrompt, const char* theFileTypes, Cstring& thePath) override;
    int AskOverwrite(const char* thePath, uint32_t theEntryCount) override;
    bool PollUserCancel() override { return itsCancelPoll && itsCancelPoll(); }
    bool OpenDocument(const char* thePathOrUrl) override;
    void SetCursor(int theCursorId) override { itsCursors.push_back(theCursorId); }
    // A scripted printer, unless the script says this host cannot print.
    std::unique_ptr<CPrinterView> MakePrinter() override;

    // The texts of the alerts shown, without their caption.
    std::vector<std::string> AlertTexts() const;

    // Result code (1, 2, 6, 7) for each alert.
    std::function<int(const CAlert&)> itsAlertAnswer;
    std::function<int(const char* thePrompt, Cstring& theFolder)> itsFolderAnswer;
    // Answers ChooseFileOrFolder as itsFolderAnswer answers ChooseFolder.
    std::function<int(const char* thePrompt, Cstring& thePath)> itsPathAnswer;
    // Unset: the overwrite dialog runs through the modal script.
    std::function<int(const char* thePath, uint32_t theEntryCount)> itsOverwriteAnswer;
    std::function<bool()> itsCancelPoll;
    // Runs once per modal loop turn with the dialog open; a dialog it leaves
    // open is ended as cancelled.
    std::function<void(CDialog&)> itsModalScript;

    std::vector<CAlert> itsAlerts;
    std::vector<std::string> itsDocuments;
    std::vector<int> itsCursors; // every cursor set, in order
    CPrinterScript itsPrinting;
    CRect itsScreen { 0, 0, 800, 1280 };
    int itsMenuBarHeight = 0;
    CWindow* itsFrontWindow = nullptr;
    uint64_t itsNow = 1'000'000;
    std::atomic<int> itsWakes = 0; // also from the threads that post from beside the loop
    int itsLoopQuits = 0;
    int itsModalEnds = 0;

private:
    CHost* itsPrevious;
};

// What was drawn, one line per call; pixels are not kept.
class CRecordingDrawContext : public CDrawContext {
public:
    void FillRect(const CRect& theRect, CColor theColor, int theMode) override;
    void FrameRect(const CRect& theRect, CColor) override { Add("frame", theRect); }
    void Line(CPoint theFrom, CPoint theTo, CColor) override;
    void DrawText(CPoint theTopLeft, const Cstring& theText, const CFontSpec& theFont, CColor) override;
    int TextWidth(const Cstring& theText, const CFontSpec&) override { return 7 * theText.Length(); }
    CFontMetrics Metrics(const CFontSpec&) override { return { 10, 3, 1 }; }
    bool DrawPicture(const std::string& theBytes, const CRect& theRect) override;
    void SetClip(const CRect*) override { itsCalls.push_back("clip"); }
    CColor PixelAt(CPoint) const override { return {}; }

    std::vector<std::string> itsCalls;

private:
    void Add(const char* theWhat, const CRect& theRect);
};

// What a window's toolkit part was told, one line per call.
class CRecordingWindowView : public CWindowView {
public:
    void SetTitle(const Cstring& theTitle) override
    {
        itsCalls.push_back(std::string("title:") + theTitle.GetText());
    }
    void SetFrame(const CRect& theFrame) override { itsFrame = theFrame; }
    CRect GetFrame() const override { return itsFrame; }
    void Show(bool bVisible) override { itsCalls.push_back(bVisible ? "show" : "hide"); }
    void BringToFront() override { itsCalls.push_back("front"); }
    void Invalidate(const CRect*) override { itsCalls.push_back("invalidate"); }
    CDrawContext* BeginDraw() override { return &itsDrawing; }
    void EndDraw() override { itsCalls.push_back("drawn"); }

    CRect itsFrame;
    CRecordingDrawContext itsDrawing;
    std::vector<std::string> itsCalls;
};

// What a control's widget was told, one line per call; it takes every key and
// edit command.
class CRecordingControlView : public CControlView {
public:
    void ShowText(const Cstring& theText) override
    {
        itsCalls.push_back(std::string("text:") + theText.GetText());
    }
    void ShowValue(int32_t theValue) override { itsCalls.push_back("value:" + std::to_string(theValue)); }
    void ShowRange(int32_t theMin, int32_t theMax) override
    {
        itsCalls.push_back("range:" + std::to_string(theMin) + "-" + std::to_string(theMax));
    }
    void ShowEnabled(bool bEnabled) override { itsCalls.push_back(bEnabled ? "on" : "off"); }
    void ShowVisible(bool bVisible) override
    {
        bShown = bVisible;
        itsCalls.push_back(bVisible ? "shown" : "hidden");
    }
    void Redraw() override { itsCalls.push_back("redraw"); }
    void ShowBounds(const CRect&) override { itsCalls.push_back("bounds"); }
    void ShowDefault(bool) override { itsCalls.push_back("default"); }
    void ShowCancel(bool) override { itsCalls.push_back("cancel"); }
    void TakeFocus() override { itsCalls.push_back("focus"); }
    bool TakeKey(const CKeyEvent& theKey) override;
    bool EditCommand(uint32_t theCommand) override;

    bool bShown = false;
    std::vector<std::string> itsCalls;
};

// Opens the application's own resources (the dialogs, menus and texts of the
// bundle built into the program) when no test has yet.
void OpenAppResources();

// A test with the test host current and the application's resources open.
class TestHostFixture : public testing::Test {
protected:
    void SetUp() override { OpenAppResources(); }
    CTestHost itsHost;
};
