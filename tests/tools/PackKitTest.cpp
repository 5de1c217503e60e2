// patchwell-pack kit: a kit exists whole or not at all.

#include "support/DemoBuild.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

namespace {

class PackKit : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeDemoBuild(itsTemp / "builds/a/Patchwell 5", "5.0.1", "2026-01-02 03:04:05"));
        itsTemp.Write("readme.txt", "Read me\n");
    }

    ProgramRun Kit(const std::string& theArguments)
    {
        return RunProgram(ProgramFromEnvironment("PW_PACK") + " kit " + theArguments);
    }

    std::string Quoted(const std::string& theName) const { return ShellQuote(itsTemp / theName); }
    std::string DataAndNew() const
    {
        return " --data " + Quoted("builds/a") + " --new " + Quoted("builds/a/Patchwell 5");
    }

    std::set<std::string> TopNames() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(itsTemp.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempFolder itsTemp;
};

} // namespace

TEST_F(PackKit, AFailureAtAnyStepLeavesNoKitAndNoLeftovers)
{
    const std::set<std::string> before = TopNames();
    const std::vector<std::pair<std::string, std::string>> cases = {
        { " --data " + Quoted("builds/a") + " --new " + Quoted("builds/none"),
            "builds/none is not a folder" },
        { " --data " + Quoted("builds/none") + " --new " + Quoted("builds/a/Patchwell 5"),
            "builds/none' is not a folder" },
        { DataAndNew() + " --readme " + Quoted("missing.txt"),
            "cannot read the readme '" + itsTemp / "missing.txt" + "': No such file or directory" },
        { DataAndNew() + " --readme " + Quoted("builds"),
            "cannot read the readme '" + itsTemp / "builds" + "': Is a directory" },
    };
    for (const auto& [arguments, said] : cases) {
        const ProgramRun run = Kit(Quoted("kit") + arguments);
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(said), std::string::npos) << run.output;
        EXPECT_EQ(TopNames(), before) << "no kit folder, no half-made one beside it: " << arguments;
    }
}

TEST_F(PackKit, AKitIsNeverMadeOverAnother)
{
    ASSERT_EQ(Kit(Quoted("kit") + DataAndNew() + " --readme " + Quoted("readme.txt")).status, 0);
    const TreeSnapshot first = SnapshotTree(itsTemp.Path() / "kit");
    const ProgramRun again = Kit(Quoted("kit") + DataAndNew() + " --name Other");
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.output.find("cannot make the kit in '" + itsTemp / "kit" + "': it is not empty"),
        std::string::npos)
        << again.output;
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "kit"), first);

    // An empty folder made beforehand is fine, and values may follow "=".
    std::filesystem::create_directory(itsTemp.Path() / "empty");
    const ProgramRun equals = Kit(Quoted("empty") + " --data=" + Quoted("builds/a")
        + " --new=" + Quoted("builds/a/Patchwell 5") + " --name=Spring");
    EXPECT_EQ(equals.status, 0) << equals.output;
    EXPECT_TRUE(std::filesystem::exists(itsTemp.Path() / "empty/Spring.zip"));
    EXPECT_EQ((std::filesystem::status(itsTemp.Path() / "empty").permissions() & std::filesystem::perms::all),
        std::filesystem::perms(0755));
}

TEST_F(PackKit, AMissingOptionIsNamed)
{
    const ProgramRun noNew = Kit(Quoted("kit") + " --data " + Quoted("builds/a"));
    EXPECT_EQ(noNew.status, 2);
    EXPECT_NE(noNew.output.find("patchwell-pack kit: missing --new FOLDER"), std::string::npos)
        << noNew.output;
    const ProgramRun noData = Kit(Quoted("kit") + " --new " + Quoted("builds/a/Patchwell 5"));
    EXPECT_EQ(noData.status, 2);
    EXPECT_NE(noData.output.find("patchwell-pack kit: missing --data FOLDER..."), std::string::npos)
        << noData.output;
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
