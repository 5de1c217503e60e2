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
    // Only a Wayland display answers (no XWayland), and the toolkit's
    // Wayland platform is not installed: the caller finds that out.
    kNoWaylandPlatform,
};

// Probes when made. An X display that answered keeps the probe's connection
// until the object goes: an X server whose last client leaves resets, and
// refuses connections while it does, so Qt's own connection must be made
// before this one closes.
class CDisplayProbe {
public:
    CDisplayProbe();
    ~CDisplayProbe();
    CDisplayProbe(const CDisplayProbe&) = delete;
    CDisplayProbe& operator=(const CDisplayProbe&) = delete;

    DisplayReach Reach() const { return itsReach; }
    // A Wayland display answers and no X display does: the window needs the
    // toolkit's own Wayland platform.
    bool WaylandOnly() const { return bWaylandOnly; }
    // The display the environment names, for a message: the Wayland one when
    // both are named; empty when none is.
    const Cstring& Display() const { return itsDisplay; }

private:
    bool X11Answers();

    DisplayReach itsReach = DisplayReach::kNone;
    bool bWaylandOnly = false;
    Cstring itsDisplay;
    void* itsLibrary = nullptr;
    void* itsConnection = nullptr;
    void (*itsDisconnect)(void*) = nullptr;
};
