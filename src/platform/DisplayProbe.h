#pragma once

#include "foundation/Cstring.h"

#include <memory>

// Whether the window system that the environment names can be reached. Qt
// ends the program with an abort when the display it is told to use cannot
// be opened, as with the DISPLAY of a remote session that has ended; the
// updater asks first, and runs as on a machine without a display when none
// answers.
enum class DisplayReach {
    kNone, // the environment names no display
    kUnreachable, // it names one, and none of those named answers
    // An X display took the connection but did not answer in time (a frozen
    // server, a forwarded display whose far end is gone): Qt would wait for
    // it for ever.
    kSilent,
    kReachable, // one answers, or QT_QPA_PLATFORM chooses the platform itself
    // Only a Wayland display answers (no XWayland), and the toolkit's
    // Wayland platform is not installed: the caller finds that out.
    kNoWaylandPlatform,
};

// How long an X display has to answer the probe.
constexpr int kDisplayAnswerSeconds = 5;

// Probes when made. An X display that answered keeps the probe's connection
// until the object goes: an X server whose last client leaves resets, and
// refuses connections while it does, so Qt's own connection must be made
// before this one closes.
class CDisplayProbe {
public:
    explicit CDisplayProbe(int theWaitMilliseconds = kDisplayAnswerSeconds * 1000);
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
    struct X11Connection;
    DisplayReach X11Reach(int theWaitMilliseconds);

    DisplayReach itsReach = DisplayReach::kNone;
    bool bWaylandOnly = false;
    Cstring itsDisplay;
    // Shared with the thread that connects, which may outlive the probe when
    // the display never answers.
    std::shared_ptr<X11Connection> itsX11;
};
