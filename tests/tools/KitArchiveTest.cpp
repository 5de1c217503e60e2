// A kit as the user receives it: packed as one archive, unpacked anywhere,
// started through its launcher.

#include "KitFixture.h"

#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

// Every file's and folder's permission bits, by relative path.
std::map<std::string, fs::perms> Modes(const fs::path& theRoot)
{
    std::map<std::string, fs::perms> modes { { ".", fs::status(theRoot).permissions() } };
    for (const auto& entry : fs::recursive_directory_iterator(theRoot))
        modes[fs::relative(entry.path(), theRoot).string()] = entry.status().permissions();
    return modes;
}

class KitArchive : public OneBuild {
protected:
    // The kit "Spring Kit" of the build, with theOptions.
    ProgramRun SpringKit(const std::string& theOptions)
    {
        return Kit(Quoted("Spring Kit") + DataAndNew() + theOptions);
    }
};

} // namespace

TEST_F(KitArchive, TheArchiveHoldsTheKitWithItsModesAndItsLauncherStartsItFromAnywhere)
{
    ASSERT_TRUE(
        Ran(SpringKit(" --archive --name 'Spring Update'"), 0, "Packed as " + itsTemp / "Spring Kit.pwkit"));
    EXPECT_EQ(
        fs::status(itsTemp.Path() / "Spring Kit.pwkit").permissions() & fs::perms::all, fs::perms(0644));

    fs::create_directory(itsTemp.Path() / "unpacked");
    ASSERT_TRUE(Ran(RunProgram("tar -xzf " + Quoted("Spring Kit.pwkit") + " -C " + Quoted("unpacked")), 0));
    const fs::path kit = itsTemp.Path() / "Spring Kit", copy = itsTemp.Path() / "unpacked/Spring Kit";
    EXPECT_EQ(SnapshotTree(copy), SnapshotTree(kit));
    EXPECT_EQ(Modes(copy), Modes(kit));
    for (const char* program : { "patchwell-updater", "start-updater", "Start Update.desktop" })
        EXPECT_EQ(fs::status(copy / program).permissions() & fs::perms::all, fs::perms(0755)) << program;

    const std::string desktop = ReadWholeFile(copy / "Start Update.desktop");
    EXPECT_NE(desktop.find("\nName=Spring Update\n"), std::string::npos) << desktop;
    EXPECT_TRUE(Ran(RunProgram("desktop-file-validate " + ShellQuote(copy / "Start Update.desktop")), 0));

    // Started from another folder, the launcher still takes its own as the kit.
    EXPECT_TRUE(Ran(RunProgram("cd / && " + ShellQuote(copy / "start-updater") + " --applications "
                        + Quoted("Applications") + " --list"),
        0));
}

TEST_F(KitArchive, AnArchiveIsNeverMadeOverAFileNorLeftBehindByAFailure)
{
    itsTemp.Write("Spring Kit.pwkit", "the vendor's other archive");
    const std::set<std::string> before = TopNames(itsTemp.Path());
    EXPECT_TRUE(Ran(SpringKit(" --archive"), 1,
        "cannot make the archive '" + itsTemp / "Spring Kit.pwkit" + "': it exists"));
    EXPECT_EQ(TopNames(itsTemp.Path()), before);
    EXPECT_EQ(ReadWholeFile(itsTemp / "Spring Kit.pwkit"), "the vendor's other archive");
}

TEST_F(KitArchive, TheLauncherNamesAMissingLibraryAndItsPackage)
{
    ASSERT_EQ(SpringKit("").status, 0);
    // The updater as it would be on a machine without this version of nettle.
    const std::string updater = itsTemp / "Spring Kit/patchwell-updater";
    std::string bytes = ReadWholeFile(updater);
    const std::size_t at = bytes.find("libnettle.so.");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 13] = '9';
    std::ofstream(updater, std::ios::binary | std::ios::trunc) << bytes;

    const ProgramRun run = RunProgram(
        "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(itsTemp / "Spring Kit/start-updater") + " --list");
    EXPECT_TRUE(Ran(run, 127, "this computer lacks libnettle.so.9"));
    EXPECT_TRUE(Ran(run, 127, "sudo apt-get install libnettle9"));
}

// Qt opens its window system's plugin only when the window opens, and ends
// with an abort and no word when it is not there.
TEST_F(KitArchive, TheLauncherNamesAMissingPlatformPlugin)
{
    ASSERT_EQ(SpringKit("").status, 0);
    // A Qt whose library lies where no plugins lie beside it.
    const ProgramRun where = RunProgram("ldd " + Quoted("Spring Kit/patchwell-updater")
        + " | sed -n 's/.*libQt6Core.so.6 => \\([^ ]*\\) .*/\\1/p'");
    ASSERT_EQ(where.status, 0);
    const std::string qtcore = where.output.substr(0, where.output.find('\n'));
    ASSERT_FALSE(qtcore.empty()) << where.output;
    fs::create_directory(itsTemp.Path() / "lib");
    fs::create_symlink(qtcore, itsTemp.Path() / "lib/libQt6Core.so.6");

    auto start = [&](const std::string& thePluginPath) {
        return RunProgram("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM QT_PLUGIN_PATH=" + thePluginPath
            + " LD_LIBRARY_PATH=" + Quoted("lib") + " DISPLAY=:4711 " + Quoted("Spring Kit/start-updater")
            + " --list --applications " + Quoted("Applications"));
    };
    const ProgramRun run = start("");
    EXPECT_TRUE(Ran(run, 127, "this computer lacks Qt's X11 platform plugin (libqxcb.so)"));
    EXPECT_TRUE(Ran(run, 127, "sudo apt-get install libqt6gui6"));

    // QT_PLUGIN_PATH is where Qt looks too.
    const ProgramRun plugins = start(ShellQuote(fs::path(qtcore).parent_path() / "qt6/plugins"));
    EXPECT_TRUE(Ran(plugins, 0));
}
