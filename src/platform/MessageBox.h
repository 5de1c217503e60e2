#pragma once

#include <functional>

// Alert styles and the answers they give.
enum MessageBoxStyle {
    kMessageBoxOk = 0, // one OK button
    kMessageBoxYesNo = 4,
};
enum MessageBoxResult {
    kResultOk = 1,
    kResultCancel = 2,
    kResultYes = 6,
    kResultNo = 7,
};

// Shows theText in an alert of theStyle and returns the button chosen. Until a
// window system answers it (through the hook), the text goes to standard
// error and the alert gives OK, or No to a question nobody can see.
int MessageBox(const char* theText, int theStyle);

// One process-wide answerer for alerts: the dialog layer installs its own, and
// tests install one that records the text and answers. An empty hook restores
// the standard-error fallback.
using MessageBoxHook = std::function<int(const char* theText, int theStyle)>;
void SetMessageBoxHook(MessageBoxHook theHook);
