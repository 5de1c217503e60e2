#pragma once

#include "foundation/Cstring.h"

// Alert styles (the low four bits of the flags) and the answers they give.
enum MessageBoxStyle {
    kMessageBoxOk = 0, // one OK button (0 alone stands for 0x2403: a caution alert)
    kMessageBoxOkCancel = 10,
    kMessageBoxYesNo = 4,
    kMessageBoxYesNoCancel = 12,
};
enum MessageBoxResult {
    kResultOk = 1,
    kResultCancel = 2,
    kResultYes = 6,
    kResultNo = 7,
};
enum AlertKind {
    kAlertStop = 0,
    kAlertNote = 1,
    kAlertCaution = 2,
    kAlertPlain = 3,
};

// What a host is asked to show: the message and up to three buttons. Button 1
// is the default; Escape presses itsCancelButton.
struct CAlert {
    int itsFlags = 0;
    int itsKind = kAlertPlain;
    Cstring itsCaption;
    Cstring itsText;
    Cstring itsButtons[3];
    int itsButtonCount = 1;
    int itsCancelButton = 1;

    // The caption, a blank line and the text, as one message.
    Cstring Message() const;
};

// The alert that MessageBox shows for theFlags.
CAlert MakeAlert(const char* theCaption, const char* theText, int theFlags);
// The result code of pressing button theHit (1 to 3) of an alert of theFlags.
int AlertResult(int theFlags, int theHit);

// Shows theText with theCaption in an alert of theFlags through the host and
// returns the result code of the button pressed. The first form takes the
// program name (text 10000) as its caption.
int MessageBox(const char* theText, int theFlags);
int MessageBox(const char* theCaption, const char* theText, int theFlags);
