#pragma once

// Keys and mouse buttons as the windows receive them, whatever the toolkit.
// Ctrl on this system stands where the Command key stood, so the toolkit's
// Ctrl arrives as kCommandKey and its Meta key as kControlKey.

enum ModifierBits {
    kCommandKey = 0x100,
    kShiftKey = 0x200,
    kOptionKey = 0x800,
    kControlKey = 0x1000,
};

enum KeyCode {
    kKeyReturn = 36,
    kKeyTab = 48,
    kKeyEscape = 53,
    kKeyHelp = 114,
    kKeyF1 = 122,
};

struct CKeyEvent {
    int itsKeyCode = 0; // one of KeyCode, else 0
    int itsCharCode = 0; // the character typed, lower case for letters
    int itsModifiers = 0; // ModifierBits

    bool Has(int theModifier) const { return (itsModifiers & theModifier) != 0; }
    bool IsCommand(char theChar) const { return Has(kCommandKey) && itsCharCode == theChar; }
};

enum MouseButton {
    kLeftButton = 1,
    kRightButton = 2,
    kMiddleButton = 3,
};

enum MouseMessage {
    kMsgRightDown = 100,
    kMsgLeftDown = 101,
    kMsgMiddleDown = 102,
    kMsgRightUp = 104,
    kMsgLeftUp = 105,
    kMsgMiddleUp = 106,
    kMsgRightDoubleClick = 112,
    kMsgLeftDoubleClick = 113,
    kMsgMiddleDoubleClick = 114,
};

// The message code of a press (theClicks 1, or 2 for a double click) or of a
// release (theClicks 0) of theButton; a left press with the control key
// counts as the right button.
int MouseMessageCode(int theButton, int theClicks, int theModifiers);
// The key state passed with every mouse call: 1 left, 2 right, 16 middle for
// the buttons down (theButtons: bit 0 left, bit 1 right, bit 2 middle), 4 shift,
// 8 control, 32 command, 64 option. A control-click with only the left button
// gives 10.
int MouseKeyState(int theButtons, int theModifiers);
