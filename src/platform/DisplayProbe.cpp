#include "platform/DisplayProbe.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
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

CDisplayProbe::CDisplayProbe(int theWaitMilliseconds)
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
    itsReach = x11 ? X11Reach(theWaitMilliseconds) : DisplayReach::kUnreachable;
    bWaylandOnly = bWayland && itsReach != DisplayReach::kReachable;
    if (bWayland)
        itsReach = DisplayReach::kReachable;
    else if (itsReach == DisplayReach::kSilent)
        itsDisplay = x11; // the display that kept silent is the one to name
}

// The X11 connection as xcb makes it. The library is opened here rather than
// linked: a machine without it has no X11 platform for Qt either, and still
// runs the updater from a terminal. Once the thread that connects is done,
// whoever lets go of this last disconnects and closes the library.
struct CDisplayProbe::X11Connection {
    ~X11Connection()
    {
        if (itsConnection)
            itsDisconnect(itsConnection);
        if (itsLibrary)
            dlclose(itsLibrary);
    }

    void* itsLibrary = nullptr;
    void* itsConnection = nullptr;
    void (*itsDisconnect)(void*) = nullptr;
    bool bAnswered = false;
    std::mutex itsLock;
    std::condition_variable itsDone;
    bool bDone = false;
};

CDisplayProbe::~CDisplayProbe() = default;

// Connects as Qt's X11 platform does, through the library it uses, so that
// the display's name, its authorization and its transport are judged alike.
// xcb waits for the server's first answer without a limit; the wait is made
// on a thread of its own, and one that does not end in time is left to it.
DisplayReach CDisplayProbe::X11Reach(int theWaitMilliseconds)
{
    auto x11 = std::make_shared<X11Connection>();
    x11->itsLibrary = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!x11->itsLibrary)
        return DisplayReach::kUnreachable;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    const auto connect = reinterpret_cast<Connect>(dlsym(x11->itsLibrary, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(x11->itsLibrary, "xcb_connection_has_error"));
    x11->itsDisconnect = reinterpret_cast<void (*)(void*)>(dlsym(x11->itsLibrary, "xcb_disconnect"));
    if (!connect || !hasError || !x11->itsDisconnect)
        return DisplayReach::kUnreachable;
    std::thread([x11, connect, hasError] {
        // A server that drops the connection before xcb has written to it (one
        // resetting as its last client leaves) raises SIGPIPE, which would end
        // the program without a word. Blocked here, the write fails instead,
        // and the signal left pending goes with this thread.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        // Even a failed connection is an object to be freed.
        void* connection = connect(nullptr, nullptr);
        const std::lock_guard<std::mutex> lock(x11->itsLock);
        x11->itsConnection = connection;
        x11->bAnswered = connection && hasError(connection) == 0;
        x11->bDone = true;
        x11->itsDone.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(x11->itsLock);
    if (!x11->itsDone.wait_for(
            lock, std::chrono::milliseconds(theWaitMilliseconds), [&] { return x11->bDone; }))
        return DisplayReach::kSilent;
    itsX11 = x11;
    return x11->bAnswered ? DisplayReach::kReachable : DisplayReach::kUnreachable;
}
