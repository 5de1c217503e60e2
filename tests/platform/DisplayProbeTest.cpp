#include "platform/DisplayProbe.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Qt aborts the program on a display that is named but does not answer, so
// the probe must tell the two apart for each kind of display.
class DisplayProbe : public ::testing::Test {
protected:
    // Names a display that no X server on this machine listens on.
    std::string NameUnusedX11Display()
    {
        for (int number = 150; number < 400; ++number) {
            const std::string name = std::to_string(number);
            if (!std::filesystem::exists("/tmp/.X11-unix/X" + name)
                && !std::filesystem::exists("/tmp/.X" + name + "-lock")) {
                itsX11.Set(":" + name);
                return ":" + name;
            }
        }
        ADD_FAILURE() << "every display from 150 to 399 is in use";
        return "";
    }

    DisplayReach Probe()
    {
        const CDisplayProbe probe;
        itsName = probe.Display().GetText();
        bWaylandOnly = probe.WaylandOnly();
        return probe.Reach();
    }

    TempFolder itsTemp;
    CScopedVariable itsPlatform { "QT_QPA_PLATFORM", "" };
    CScopedVariable itsWayland { "WAYLAND_DISPLAY", "" };
    CScopedVariable itsX11 { "DISPLAY", "" };
    CScopedVariable itsRuntime { "XDG_RUNTIME_DIR", itsTemp.Path().string() };
    std::string itsName;
    bool bWaylandOnly = false;
};

TEST_F(DisplayProbe, NamedDisplaysThatDoNotAnswerAreToldFromNone)
{
    EXPECT_EQ(Probe(), DisplayReach::kNone);

    const std::string display = NameUnusedX11Display();
    EXPECT_EQ(Probe(), DisplayReach::kUnreachable);
    EXPECT_EQ(itsName, display);

    // Wayland's name is relative to the runtime folder, or a whole path.
    itsWayland.Set("wayland-test");
    EXPECT_EQ(Probe(), DisplayReach::kUnreachable);
    EXPECT_EQ(itsName, "wayland-test");
    itsTemp.Write("wayland-test", "not a socket");
    EXPECT_EQ(Probe(), DisplayReach::kUnreachable);
    itsWayland.Set(itsTemp / "wayland-test");
    EXPECT_EQ(Probe(), DisplayReach::kUnreachable);

    // A platform chosen by name is Qt's to open, whatever the displays.
    itsPlatform.Set("offscreen");
    EXPECT_EQ(Probe(), DisplayReach::kReachable);
}

TEST_F(DisplayProbe, AWaylandSocketThatListensIsReachable)
{
    const std::string path = itsTemp / "wayland-1";
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_NE(listener, -1);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    itsWayland.Set("wayland-1");
    EXPECT_EQ(Probe(), DisplayReach::kReachable);
    itsWayland.Set(path);
    EXPECT_EQ(Probe(), DisplayReach::kReachable);
    // Without an X display that answers, the window needs Qt's Wayland platform.
    EXPECT_TRUE(bWaylandOnly);
    NameUnusedX11Display();
    EXPECT_EQ(Probe(), DisplayReach::kReachable);
    EXPECT_TRUE(bWaylandOnly);
    close(listener);
}

// A frozen X server, or a forwarded display whose far end is gone: the
// connection is taken and nothing ever answers. Qt would wait for ever.
TEST_F(DisplayProbe, AnXDisplayThatNeverAnswersIsSilent)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_NE(listener, -1);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int number = 150;
    for (; number < 400; ++number) {
        address.sin_port = htons(static_cast<uint16_t>(6000 + number));
        if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
    }
    ASSERT_LT(number, 400);
    ASSERT_EQ(listen(listener, 4), 0);
    itsX11.Set("127.0.0.1:" + std::to_string(number));
    const CDisplayProbe probe(300);
    EXPECT_EQ(probe.Reach(), DisplayReach::kSilent);
    EXPECT_EQ(probe.Display().GetText(), "127.0.0.1:" + std::to_string(number));
    close(listener);
}

// A virtual X server of its own, started with no client. Such a server
// resets whenever its last client leaves, as one started for a single
// program does.
class VirtualXServer {
public:
    VirtualXServer()
    {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            return;
        // Xvfb chooses a free display itself and writes its number to the
        // descriptor once it accepts connections; only that end is inherited.
        fcntl(ready[1], F_SETFD, 0);
        const std::string fd = std::to_string(ready[1]);
        const char* arguments[]
            = { "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "320x240x24", nullptr };
        // Not on this program's output: a server left behind when the test
        // program dies would hold CTest's pipe open, and CTest would wait out
        // its time-out instead of saying how the program ended.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int error
            = posix_spawnp(&itsServer, "Xvfb", &actions, nullptr, const_cast<char**>(arguments), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ready[1]);
        itsReady = ready[0];
        if (error != 0) {
            itsServer = 0;
            return;
        }
        pollfd wait { itsReady, POLLIN, 0 };
        char number[16] {};
        if (poll(&wait, 1, 10000) == 1 && read(itsReady, number, sizeof number - 1) > 0)
            itsDisplay = ":" + std::to_string(std::atoi(number));
    }
    ~VirtualXServer()
    {
        if (itsServer != 0) {
            kill(itsServer, SIGTERM);
            waitpid(itsServer, nullptr, 0);
        }
        close(itsReady);
    }
    VirtualXServer(const VirtualXServer&) = delete;
    VirtualXServer& operator=(const VirtualXServer&) = delete;

    // Empty when the server did not start.
    const std::string& Display() const { return itsDisplay; }

private:
    pid_t itsServer = 0;
    // Kept open: the server writes its number again after each reset, and
    // stops when it cannot.
    int itsReady = -1;
    std::string itsDisplay;
};

// The window's own connection comes right after the probe's. Were the probe
// to close first, a server with no other client would be resetting then, and
// refuse it now and again.
TEST_F(DisplayProbe, AnXServerThatAnswersIsReachableAndTheProbesConnectionOutlivesTheNextOne)
{
    if (std::system("command -v Xvfb >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb is not installed";
    const VirtualXServer server;
    ASSERT_NE(server.Display(), "");
    itsX11.Set(server.Display());
    int tried = 0;
    for (int round = 0; round < 600 && tried < 30; ++round) {
        // The server may still be resetting from the round before: that
        // round's probe was its last client.
        itsWayland.Set("");
        const CDisplayProbe probe;
        if (probe.Reach() != DisplayReach::kReachable)
            continue;
        ++tried;
        EXPECT_EQ(probe.Display().GetText(), server.Display());
        // Wayland named but absent: the X display still answers.
        itsWayland.Set("wayland-absent");
        const CDisplayProbe window;
        EXPECT_EQ(window.Reach(), DisplayReach::kReachable) << "round " << round;
        EXPECT_EQ(window.Display().GetText(), std::string("wayland-absent"));
    }
    EXPECT_EQ(tried, 30);
}

} // namespace
