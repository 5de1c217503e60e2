#pragma once

#include "platform/Host.h"

// The host of runs without a window (--apply, --list, no display): no
// windows, alerts written to standard error. Nobody can answer a question
// here, so a question gets its cautious answer (No, Cancel). A stop of an
// update run reaches the run through its observer, not through this host.
class CConsoleHost : public CHost {
public:
    bool HasWindows() const override { return false; }
    std::unique_ptr<CWindowView> MakeWindow(CWindow&) override;
    std::unique_ptr<CControlView> MakeControl(CWindow&, ControlEntry&) override;
    CRect ScreenBounds() const override { return { 0, 0, 768, 1024 }; }
    CWindow* FrontWindow() const override { return nullptr; }

    void RunApplicationLoop() override { }
    void QuitApplicationLoop() override { }
    bool RunModalLoop(CDialog&) override { return false; }
    void EndModalLoop(CDialog&) override { }
    void StartIdleTick() override { }
    void StopIdleTick() override { }
    void WakeForPostedMessages() override { }

    int ShowAlert(const CAlert& theAlert) override;
    int ChooseFolder(const char*, Cstring&) override { return 0; }
    // The existing file is kept.
    int AskOverwrite(const char* thePath, uint32_t theEntryCount) override;
    bool PollUserCancel() override { return false; }
    bool OpenDocument(const char*) override { return false; }
};
