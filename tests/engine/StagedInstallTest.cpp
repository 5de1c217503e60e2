#include "engine/StagedInstall.h"
#include "engine/ConfinedFolder.h"
#include "engine/UpdateJournal.h"
#include "engine/UpdateSteps.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(UpdateJournal, RecordsSurviveAnyNameAndACutLine)
{
    JournalRecord record;
    record.itsKind = JournalRecord::kRename;
    record.itsFrom = "a\tb\nc%d\r";
    record.itsTo = "Patchwell 5_Backup_0042.app";
    JournalRecord parsed;
    std::string line = FormatJournalRecord(record);
    ASSERT_EQ(line.back(), '\n');
    line.pop_back();
    ASSERT_TRUE(ParseJournalRecord(line, parsed));
    EXPECT_EQ(parsed.itsFrom, record.itsFrom);
    EXPECT_EQ(parsed.itsTo, record.itsTo);
    for (const char* bad :
        { "", "rename\tonly-one", "move", "exchange\ta\tnot-a-number", "explode\tx", "move\tbad%4" })
        EXPECT_FALSE(ParseJournalRecord(bad, parsed)) << bad;

    // A record cut short by a crash was never acted upon: it is ignored.
    TempFolder temp;
    temp.Write(".pwupdate-journal", "Patchwell updater journal 1\nstage\t.pwupdate-stage\nmove\tHelp/ne");
    CConfinedFolder folder;
    ASSERT_EQ(folder.Open(temp.Path().c_str()), 0);
    CUpdateJournal journal;
    ASSERT_EQ(journal.Load(folder.Descriptor()), 0);
    ASSERT_EQ(journal.Records().size(), 1u);
    EXPECT_EQ(journal.StageName(), ".pwupdate-stage");
    // A second updater cannot take the journal while this one holds it.
    CUpdateJournal second;
    EXPECT_EQ(second.Load(folder.Descriptor()), EWOULDBLOCK);
}

// A target folder with an installed copy, and a staged update beside it.
class StagedInstall : public testing::Test {
protected:
    void SetUp() override
    {
        itsTemp.Write("t/Patchwell 5.app/Contents/MacOS/Patchwell", "old program");
        itsTemp.Write("t/Help/index.html", "old help");
        itsTemp.Write("t/Patchwell", "old-style program");
        itsTemp.Write("t/Projects/mine.pwq", "the user's own");
        ASSERT_EQ(itsTarget.Open(Target().c_str()), 0);
        itsBefore = SnapshotTree(Target());
    }

    std::string Target() const { return itsTemp / "t"; }

    TempFolder itsTemp;
    CConfinedFolder itsTarget;
    TreeSnapshot itsBefore;
};

TEST_F(StagedInstall, RollBackPutsEverythingBack)
{
    TraceCapture log;
    CStagedInstall install(itsTarget, Target().c_str(), log.Stream());
    // Staged and put in place as a run does.
    Cstring problem;
    ASSERT_TRUE(install.Begin(problem)) << problem.GetText();
    itsTemp.Write("t/.pwupdate-stage/Patchwell 5.app/Contents/MacOS/Patchwell", "new program");
    itsTemp.Write("t/.pwupdate-stage/Help/index.html", "new help");
    itsTemp.Write("t/.pwupdate-stage/Help/new.html", "new page");
    itsTemp.Write("t/.pwupdate-stage/Extras/tool", "new folder");
    ASSERT_EQ(install.MoveAside("Patchwell", "Patchwell PPC"), 0);
    ASSERT_EQ(install.MoveAside("Patchwell 5.app", "Patchwell 5_Backup_0042.app"), 0);
    ASSERT_TRUE(install.PutInPlace([] { return false; }, problem)) << problem.GetText();
    EXPECT_EQ(ReadWholeFile(Target() + "/Help/index.html"), "new help");
    EXPECT_EQ(ReadWholeFile(Target() + "/Extras/tool"), "new folder");
    EXPECT_TRUE(install.HasChanged());
    EXPECT_TRUE(install.RollBack());
    EXPECT_EQ(SnapshotTree(Target()), itsBefore);
    EXPECT_EQ(log.Text(),
        "Removed " + Target() + "/Patchwell 5.app\nRemoved " + Target() + "/Help/new.html\nRestored "
            + Target() + "/Help/index.html\nRemoved " + Target() + "/Extras\nRename of " + Target()
            + "/Patchwell 5_Backup_0042.app to " + Target() + "/Patchwell 5.app succeeded\nRename of "
            + Target() + "/Patchwell PPC to " + Target() + "/Patchwell succeeded\n");
}

TEST_F(StagedInstall, ALinkPutThereAfterTheCheckStopsTheInstall)
{
    itsTemp.Write("outside/index.html", "elsewhere");
    fs::remove_all(Target() + "/Help");
    fs::create_directory_symlink(itsTemp / "outside", Target() + "/Help");
    const TreeSnapshot linked = SnapshotTree(Target());
    CStagedInstall install(itsTarget, Target().c_str(), nullptr);
    Cstring problem;
    ASSERT_TRUE(install.Begin(problem));
    itsTemp.Write("t/.pwupdate-stage/Help/index.html", "new help");
    EXPECT_FALSE(install.PutInPlace([] { return false; }, problem));
    EXPECT_EQ(
        std::string(problem.GetText()), "Destination passes through a symbolic link: " + Target() + "/Help");
    EXPECT_TRUE(install.RollBack());
    EXPECT_EQ(SnapshotTree(Target()), linked);
    EXPECT_EQ(ReadWholeFile(itsTemp / "outside/index.html"), "elsewhere");
}

TEST(ConfinedFolder, LinksAreNeverFollowed)
{
    TempFolder temp;
    temp.Write("root/real/file", "inside");
    temp.Write("outside/file", "outside");
    fs::create_directory_symlink(temp / "outside", temp / "root/link");
    fs::create_symlink(temp / "outside/file", temp / "root/filelink");
    CConfinedFolder root;
    ASSERT_EQ(root.Open((temp / "root").c_str()), 0);
    EXPECT_EQ(root.OpenFolder("link"), -1);
    EXPECT_EQ(root.MakeFolders("link/new"), -1);
    EXPECT_EQ(root.OpenFile("filelink", O_WRONLY | O_TRUNC), -1);
    EXPECT_EQ(root.OpenFile("link/file", O_RDONLY), -1);
    EXPECT_EQ(root.OpenFile("real/../../outside/file", O_RDONLY), -1);
    struct stat info;
    EXPECT_NE(root.Stat("link/file", info), 0);
    EXPECT_EQ(root.Stat("link", info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    const int made = root.MakeFolders("real/a/b");
    ASSERT_NE(made, -1);
    close(made);
    EXPECT_TRUE(fs::is_directory(temp / "root/real/a/b"));
    EXPECT_EQ(RemoveTree(root.Descriptor(), "real"), 0);
    EXPECT_EQ(RemoveTree(root.Descriptor(), "link"), 0);
    EXPECT_EQ(ReadWholeFile(temp / "outside/file"), "outside");
    EXPECT_FALSE(fs::exists(temp / "root/real"));
}

TEST(SetFileTimestamp, ReadsSixNumbersAsLocalTime)
{
    TempFolder temp;
    const std::string file = temp.Write("Patchwell 5.app/x", "");
    const std::string bundle = temp / "Patchwell 5.app";
    ASSERT_TRUE(SetFileTimestamp(bundle.c_str(), "2010/01/01 09:00:00"));
    struct stat info;
    ASSERT_EQ(stat(bundle.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, LocalTime(2010, 1, 1, 9, 0, 0));
    EXPECT_EQ(info.st_atime, LocalTime(2010, 1, 1, 9, 0, 0));
    EXPECT_TRUE(SetFileTimestamp(file.c_str(), "2009-01-02T10:00:00"))
        << "any non-digit separates the numbers";
    EXPECT_EQ(FileDate(file), LocalTime(2009, 1, 2, 10, 0, 0));
    EXPECT_FALSE(SetFileTimestamp(file.c_str(), "")) << "no date leaves the time alone";
    EXPECT_FALSE(SetFileTimestamp((temp / "missing").c_str(), "2010/01/01 09:00:00"));
}

} // namespace
