// patchwell-pack kit: a kit exists whole or not at all.

#include "KitFixture.h"

#include <cstdlib>
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

TEST_F(PackKit, AKitIsNeverMadeOverAnother)
{
    ASSERT_EQ(Kit(Quoted("kit") + DataAndNew() + " --readme " + Quoted("readme.txt")).status, 0);
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
    EXPECT_EQ(
        RunProgram(ProgramFromEnvironment("PW_PACK") + " -q kit " + Quoted("quiet") + DataAndNew()).output,
        "");
    EXPECT_TRUE(std::filesystem::exists(itsTemp.Path() / "quiet/Patchwell Update.zip"));
    EXPECT_EQ((std::filesystem::status(itsTemp.Path() / "empty").permissions() & std::filesystem::perms::all),
        std::filesystem::perms(0755));
}

TEST_F(PackKit, AMissingOptionIsNamed)
{
    EXPECT_TRUE(Ran(
        Kit(Quoted("kit") + " --data " + Quoted("builds/a")), 2, "patchwell-pack kit: missing --new FOLDER"));
    EXPECT_TRUE(Ran(Kit(Quoted("kit") + " --new " + Quoted("builds/a/Patchwell 5")), 2,
        "patchwell-pack kit: missing --data FOLDER..."));
    EXPECT_TRUE(Ran(Kit(Quoted("kit")), 2)) << "neither";
    EXPECT_FALSE(std::filesystem::exists(itsTemp.Path() / "kit"));
}

TEST_F(PackKit, TheKitCarriesHelpWhoseLinksAllResolve)
{
    ASSERT_EQ(Kit(Quoted("kit") + DataAndNew()).status, 0);
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
}
