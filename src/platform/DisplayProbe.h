#pragma once

#include "foundation/Cstring.h"

// Whether the window system that the environment names can be reached. Qt
// ends the program with an abort when the display it is told to use cannot
// be opened, as with the DISPLAY of a remote session that has ended; the
// updater asks first, and runs as on a machine without a display when none
// answers.
enum class DisplayReach {
    kNone, // the environment names no display
    kUnreachable, // it names one, and none of those named answers
    kReachable, // one answers, or QT_QPA_PLATFORM chooses the platform itself
};

// theName receives the display the environment names, for a message: the
// Wayland one when both are named.
DisplayReach ProbeDisplay(Cstring& theName);
