#include "platform/DisplayProbe.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Qt aborts the program on a display that is named but does not answer, so
// the probe must tell the two apart for each kind of display.
class DisplayProbe : public ::testing::Test {
protected:
    // A display number that no X server on this machine listens on.
    static int UnusedX11Display()
    {
        for (int number = 150; number < 400; ++number) {
            const std::string name = std::to_string(number);
            if (!std::filesystem::exists("/tmp/.X11-unix/X" + name)
                && !std::filesystem::exists("/tmp/.X" + name + "-lock"))
                return number;
        }
        return -1;
    }

    DisplayReach Probe()
    {
        Cstring name;
        const DisplayReach reach = ProbeDisplay(name);
        itsName = name.GetText();
        return reach;
    }

    TempFolder itsTemp;
    CScopedVariable itsPlatform { "QT_QPA_PLATFORM", "" };
    CScopedVariable itsWayland { "WAYLAND_DISPLAY", "" };
    CScopedVariable itsX11 { "DISPLAY", "" };
    CScopedVariable itsRuntime { "XDG_RUNTIME_DIR", itsTemp.Path().string() };
    std::string itsName;
};

TEST_F(DisplayProbe, NamedDisplaysThatDoNotAnswerAreToldFromNone)
{
    EXPECT_EQ(Probe(), DisplayReach::kNone);

    const int number = UnusedX11Display();
    ASSERT_NE(number, -1);
    itsX11.Set(":" + std::to_string(number));
    EXPECT_EQ(Probe(), DisplayReach::kUnreachable);
    EXPECT_EQ(itsName, ":" + std::to_string(number));

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
    close(listener);
}

TEST_F(DisplayProbe, AnXServerThatAnswersIsReachable)
{
    if (std::system("command -v Xvfb >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb is not installed";
    const int number = UnusedX11Display();
    ASSERT_NE(number, -1);
    const std::string display = ":" + std::to_string(number);
    const char* arguments[]
        = { "Xvfb", display.c_str(), "-nolisten", "tcp", "-screen", "0", "320x240x24", nullptr };
    pid_t server = 0;
    ASSERT_EQ(posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(arguments), environ), 0);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    itsX11.Set(display);
    EXPECT_EQ(Probe(), DisplayReach::kReachable);
    // Wayland named but absent: the X display still answers.
    itsWayland.Set("wayland-absent");
    EXPECT_EQ(Probe(), DisplayReach::kReachable);

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}

} // namespace
