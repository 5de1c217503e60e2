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

// Connects as Qt's X11 platform does, through the library it uses, so that
// the display's name, its authorization and its transport are judged alike.
// The library is opened here rather than linked: a machine without it has
// no X11 platform for Qt either, and still runs the updater from a terminal.
bool X11Answers()
{
    void* library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(dlsym(library, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(library, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(dlsym(library, "xcb_disconnect"));
    bool bAnswers = false;
    if (connect && hasError && disconnect) {
        // Even a failed connection is an object to be freed.
        void* connection = connect(nullptr, nullptr);
        bAnswers = connection && hasError(connection) == 0;
        if (connection)
            disconnect(connection);
    }
    dlclose(library);
    return bAnswers;
}

} // namespace

DisplayReach ProbeDisplay(Cstring& theName)
{
    theName = "";
    if (Variable("QT_QPA_PLATFORM"))
        return DisplayReach::kReachable;
    const char* wayland = Variable("WAYLAND_DISPLAY");
    const char* x11 = Variable("DISPLAY");
    if (!wayland && !x11)
        return DisplayReach::kNone;
    theName = wayland ? wayland : x11;
    if ((wayland && WaylandAnswers(wayland)) || (x11 && X11Answers()))
        return DisplayReach::kReachable;
    return DisplayReach::kUnreachable;
}
