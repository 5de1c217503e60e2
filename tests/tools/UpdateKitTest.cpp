// The whole chain as a vendor and a user run it: patchwell-pack makes a kit,
// patchwell-updater lists and updates an installed copy.

#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace {

class UpdateKit : public testing::Test {
protected:
    void SetUp() override
    {
        MakeBuild("5.0.1", "2025-03-01 10:00:00");
        MakeBuild("5.0.2", "2026-11-20 09:30:00");
        std::filesystem::create_directories(itsTemp.Path() / "Applications");
        std::filesystem::copy(itsTemp.Path() / "builds/5.0.1/Patchwell 5", Installed(),
            std::filesystem::copy_options::recursive);
        itsTemp.Write("readme.txt", "Spring Update for Patchwell 5\n");
    }

    void MakeBuild(const std::string& theVersion, const std::string& theDate)
    {
        const std::string script = std::string(std::getenv("PW_SOURCE_DIR")) + "/scripts/make-demo-build.sh";
        const ProgramRun run = RunProgram("bash " + ShellQuote(script) + " "
            + ShellQuote(itsTemp / ("builds/" + theVersion + "/Patchwell 5")) + " " + theVersion + " "
            + ShellQuote(theDate));
        ASSERT_EQ(run.status, 0) << run.output;
    }

    std::filesystem::path Installed() const { return itsTemp.Path() / "Applications/Patchwell 5"; }
    std::string Kit() const { return itsTemp / "kit"; }

    ProgramRun Pack(const std::string& theDataFolders)
    {
        return RunProgram(ProgramFromEnvironment("PW_PACK") + " kit " + ShellQuote(Kit()) + " --data "
            + theDataFolders + " --new " + ShellQuote(itsTemp / "builds/5.0.2/Patchwell 5") + " --readme "
            + ShellQuote(itsTemp / "readme.txt") + " --name 'Spring Update'");
    }

    ProgramRun Updater(const std::string& theArguments)
    {
        return RunProgram(ShellQuote(Kit() + "/patchwell-updater") + " --bundle " + ShellQuote(Kit())
            + " --applications " + ShellQuote(itsTemp / "Applications") + " " + theArguments);
    }

    TempFolder itsTemp;
};

} // namespace

TEST_F(UpdateKit, KitListsAndUpdatesTheInstalledCopy)
{
    const ProgramRun pack
        = Pack(ShellQuote(itsTemp / "builds/5.0.1") + " " + ShellQuote(itsTemp / "builds/5.0.2"));
    ASSERT_EQ(pack.status, 0) << pack.output;
    for (const char* name : { "patchwell-updater", "Spring Update.zip", "data.txt", "readme.txt" })
        EXPECT_TRUE(std::filesystem::exists(Kit() + "/" + name)) << name;

    const ProgramRun list = Updater("--list");
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find(Installed().string()), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("matches the valid build of 2025/03/01 10:00:00"), std::string::npos)
        << list.output;

    const TreeSnapshot oldBuild = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5/Patchwell 5.app");
    const ProgramRun apply = Updater("--apply " + ShellQuote(Installed().string()));
    ASSERT_EQ(apply.status, 0) << apply.output;
    EXPECT_NE(apply.output.find("The update is done."), std::string::npos) << apply.output;

    EXPECT_EQ(SnapshotTree(Installed() / "Patchwell 5.app"),
        SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5/Patchwell 5.app"));
    EXPECT_EQ(
        SnapshotTree(Installed() / "Help"), SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5/Help"));
    std::string backup;
    for (const auto& entry : std::filesystem::directory_iterator(Installed()))
        if (std::regex_match(
                entry.path().filename().string(), std::regex("Patchwell 5_Backup_[0-9]{4}\\.app")))
            backup = entry.path().string();
    ASSERT_FALSE(backup.empty()) << "the old build is kept under a backup name";
    EXPECT_EQ(SnapshotTree(backup), oldBuild);

    const std::string log = ReadWholeFile((Installed() / "Updater Log File.txt").string());
    const std::string bundle = (Installed() / "Patchwell 5.app").string();
    EXPECT_EQ(log.find("Rename of " + bundle + " to " + backup + " succeeded\n"), 0u) << log;
    EXPECT_NE(
        log.find("Opening update zip file - " + Kit() + "/Spring Update.zip succeeded\n"), std::string::npos);
    EXPECT_NE(log.find("ExtractOneFile - " + bundle + "/Contents/MacOS/Patchwell\n"), std::string::npos);
    EXPECT_NE(log.find("ExtractOneFile - " + Installed().string() + "/Help/index.html\n"), std::string::npos);
    const std::string lastLine = bundle + " timestamp set to 2026/11/20 09:30:00 \n";
    ASSERT_GE(log.size(), lastLine.size());
    EXPECT_EQ(log.substr(log.size() - lastLine.size()), lastLine) << log;
}

TEST_F(UpdateKit, AnUnlistedBuildIsRefusedAndNothingIsTouched)
{
    // The kit knows only the new build: the installed old one is not a valid copy.
    const ProgramRun pack = Pack(ShellQuote(itsTemp / "builds/5.0.2"));
    ASSERT_EQ(pack.status, 0) << pack.output;
    const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");

    const ProgramRun list = Updater("--list");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.output.find(Installed().string()), std::string::npos) << list.output;

    const ProgramRun apply = Updater("--apply " + ShellQuote(Installed().string()));
    EXPECT_EQ(apply.status, 2) << apply.output;
    EXPECT_NE(apply.output.find("No valid Patchwell program found in\n'" + Installed().string() + "'"),
        std::string::npos)
        << apply.output;
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "Applications"), before);
}
