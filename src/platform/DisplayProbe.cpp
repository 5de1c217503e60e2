#include "platform/DisplayProbe.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char* Variable(const char* theName)
{
    const char* value = std::getenv(theName);
    return value && *value ? value : nullptr;
}

// A Wayland compositor listens on a socket in the user's runtime folder.
bool WaylandAnswers(const char* theDisplay)
{
    const char* runtime = Variable("XDG_RUNTIME_DIR");
    if (theDisplay[0] != '/' && !runtime)
        return false;
    const Cstring path = theDisplay[0] == '/' ? Cstring(theDisplay) : Cstring::Path(runtime, theDisplay);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (std::strlen(path.GetText()) >= sizeof address.sun_path)
        return false;
    std::strcpy(address.sun_path, path.GetText());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket == -1)
        return false;
    const bool bAnswers = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(socket);
    return bAnswers;
}

} // namespace

CDisplayProbe::CDisplayProbe()
{
    if (Variable("QT_QPA_PLATFORM")) {
        itsReach = DisplayReach::kReachable;
        return;
    }
    const char* wayland = Variable("WAYLAND_DISPLAY");
    const char* x11 = Variable("DISPLAY");
    if (!wayland && !x11)
        return;
    itsDisplay = wayland ? wayland : x11;
    const bool bWayland = wayland && WaylandAnswers(wayland);
    const bool bX11 = x11 && X11Answers();
    bWaylandOnly = bWayland && !bX11;
    itsReach = bWayland || bX11 ? DisplayReach::kReachable : DisplayReach::kUnreachable;
}

CDisplayProbe::~CDisplayProbe()
{
    if (itsConnection)
        itsDisconnect(itsConnection);
    if (itsLibrary)
        dlclose(itsLibrary);
}

// Connects as Qt's X11 platform does, through the library it uses, so that
// the display's name, its authorization and its transport are judged alike.
// The library is opened here rather than linked: a machine without it has
// no X11 platform for Qt either, and still runs the updater from a terminal.
bool CDisplayProbe::X11Answers()
{
    itsLibrary = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!itsLibrary)
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    const auto connect = reinterpret_cast<Connect>(dlsym(itsLibrary, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(itsLibrary, "xcb_connection_has_error"));
    itsDisconnect = reinterpret_cast<void (*)(void*)>(dlsym(itsLibrary, "xcb_disconnect"));
    if (!connect || !hasError || !itsDisconnect)
        return false;
    // Even a failed connection is an object to be freed.
    itsConnection = connect(nullptr, nullptr);
    return itsConnection && hasError(itsConnection) == 0;
}
