// patchwell-pack kit: a kit exists whole or not at all; made as one archive,
// it is the kit as the user receives it, unpacked anywhere and started
// through its launcher.

#include "KitFixture.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>

using PackKit = OneBuild;

TEST_F(PackKit, AFailureAtAnyStepLeavesNoKitAndNoLeftovers)
{
    const std::set<std::string> before = TopNames(itsTemp.Path());
    const std::vector<std::pair<std::string, std::string>> cases = {
        { " --data " + Quoted("builds/a") + " --new " + Quoted("builds/none"),
            "builds/none is not a folder" },
        { " --data " + Quoted("builds/none") + " --new " + Quoted("builds/a/Patchwell 5"),
            "builds/none' is not a folder" },
        { DataAndNew() + " --readme " + Quoted("missing.txt"),
            "cannot read the readme '" + itsTemp / "missing.txt" + "': No such file or directory" },
        { DataAndNew() + " --readme " + Quoted("builds"),
            "cannot read the readme '" + itsTemp / "builds" + "': Is a directory" },
        // It made an archive that the updater then found already installed.
        { " --data " + Quoted("builds/a") + " --new " + Quoted("builds/empty"),
            "builds/empty holds no files, so an update made of it would install nothing" },
    };
    std::filesystem::create_directories(itsTemp.Path() / "builds/empty/Patchwell 5.app");
    for (const auto& [arguments, said] : cases) {
        EXPECT_TRUE(Ran(Kit(Quoted("kit") + arguments), 1, said));
        EXPECT_EQ(TopNames(itsTemp.Path()), before)
            << "no kit folder, no half-made one beside it: " << arguments;
    }
}

TEST_F(PackKit, TheKitCarriesHelpWhoseLinksAllResolveAndIsNeverMadeOverAnother)
{
    ASSERT_EQ(Kit(Quoted("kit") + DataAndNew() + " --readme " + Quoted("readme.txt")).status, 0);
    const std::filesystem::path help = itsTemp.Path() / "kit/Help";
    // The index, and a page each on updating, the backup and a failed update.
    for (const char* page : { "astart.htm", "update.htm", "backup.htm", "failed.htm" })
        EXPECT_TRUE(std::filesystem::is_regular_file(help / page)) << page;
    // The pages are the same as in the source tree: the kit tool carries them.
    const std::filesystem::path source = std::getenv("PW_SOURCE_DIR");
    EXPECT_EQ(SnapshotTree(help), SnapshotTree(source / "resources/help"));

    const std::regex link("href=\"([^\"#]*)");
    for (const auto& entry : std::filesystem::directory_iterator(help)) {
        const std::string page = ReadWholeFile(entry.path().string());
        for (std::sregex_iterator at(page.begin(), page.end(), link), end; at != end; ++at)
            EXPECT_TRUE(std::filesystem::exists(help / (*at)[1].str()))
                << entry.path().filename() << " links to " << (*at)[1];
    }

    const TreeSnapshot first = SnapshotTree(itsTemp.Path() / "kit");
    EXPECT_TRUE(Ran(Kit(Quoted("kit") + DataAndNew() + " --name Other"), 1,
        "cannot make the kit in '" + itsTemp / "kit" + "': it is not empty"));
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "kit"), first);

    // An empty folder made beforehand is fine, and values may follow "=".
    std::filesystem::create_directory(itsTemp.Path() / "empty");
    EXPECT_TRUE(Ran(Kit(Quoted("empty") + " --data=" + Quoted("builds/a")
                        + " --new=" + Quoted("builds/a/Patchwell 5") + " --name=Spring"),
        0));
    EXPECT_TRUE(std::filesystem::exists(itsTemp.Path() / "empty/Spring.zip"));
    // Quiet, a kit that was made says nothing.
    EXPECT_EQ(PackTool("-q kit " + Quoted("quiet") + DataAndNew()).output, "");
    EXPECT_TRUE(std::filesystem::exists(itsTemp.Path() / "quiet/Patchwell Update.zip"));
    EXPECT_EQ((std::filesystem::status(itsTemp.Path() / "empty").permissions() & std::filesystem::perms::all),
        std::filesystem::perms(0755));
}

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

// Qt opens its window system's plugin only when the window opens, and ends
// with an abort and no word when it is not there.
TEST_F(KitArchive, TheLauncherNamesAMissingPlatformPluginOrLibraryAndItsPackage)
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

    // The updater as it would be on a machine without this version of nettle.
    const std::string updater = itsTemp / "Spring Kit/patchwell-updater";
    std::string bytes = ReadWholeFile(updater);
    const std::size_t at = bytes.find("libnettle.so.");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 13] = '9';
    std::ofstream(updater, std::ios::binary | std::ios::trunc) << bytes;

    const ProgramRun nettle = RunProgram(
        "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(itsTemp / "Spring Kit/start-updater") + " --list");
    EXPECT_TRUE(Ran(nettle, 127, "this computer lacks libnettle.so.9"));
    EXPECT_TRUE(Ran(nettle, 127, "sudo apt-get install libnettle9"));
}
