// The update run as the wizard drives it: real builds on disk, an archive made
// by patchwell-pack, and the window state checked afterwards.

#include "engine/KitOrigin.h"
#include "engine/Progress.h"
#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramScanner.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "support/DemoBuild.h"
#include "support/MountedFolder.h"
#include "support/RunProgram.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"
#include "ui/Gblwin.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/statvfs.h>
#include <unistd.h>

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

// Fills the file system of theFolder until theLeft bytes are free.
void FillUpTo(const std::string& theFolder, unsigned long long theLeft)
{
    struct statvfs disk;
    ASSERT_EQ(statvfs(theFolder.c_str(), &disk), 0);
    const unsigned long long free = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
    ASSERT_GE(free, theLeft);
    std::ofstream(theFolder + "/filler", std::ios::binary) << std::string(free - theLeft, 'f');
    ASSERT_EQ(statvfs(theFolder.c_str(), &disk), 0);
    ASSERT_EQ(static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize, theLeft);
}

class UpdateRun : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        for (const auto& [version, date] :
            { std::pair { "5.0.1", "2009-01-02 10:00:00" }, { "5.0.2", "2010-01-01 09:00:00" } })
            ASSERT_TRUE(
                MakeDemoBuild(itsTemp / ("builds/" + std::string(version) + "/Patchwell 5"), version, date));
        // Something incompressible, so that a damaged byte cannot go unnoticed.
        itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Noise.fab",
            RandomBytes(1 << 20, 5));
        std::filesystem::create_directories(itsTemp.Path() / "Applications");
        std::filesystem::copy(
            itsTemp.Path() / "builds/5.0.1/Patchwell 5", Target(), std::filesystem::copy_options::recursive);

        ASSERT_EQ(PackArchive(itsTemp / "Update.zip", itsTemp / "builds/5.0.2/Patchwell 5"), 0);
        itsKit.itsArchive = (itsTemp / "Update.zip").c_str();
        BuildDataKeyText(itsKit.itsPassword);
        ScanBuilds(ValidPrograms, itsTemp / "builds", { "5.0.1", "5.0.2" });
        ASSERT_EQ(ProcessDirectory(FoundPrograms, Target().c_str(), gValidProgramNames, &ValidPrograms), 1);
        itsOldBuild = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5/Patchwell 5.app");
        itsNewBuild = SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5/Patchwell 5.app");
    }

    void TearDown() override
    {
        delete gGlobalWin;
        gGlobalWin = nullptr;
        ValidPrograms.DeleteAll();
        FoundPrograms.DeleteAll();
    }

    std::string Target() const { return itsTemp / "Applications/Patchwell 5"; }
    std::string Bundle() const { return Target() + "/Patchwell 5.app"; }
    std::string Log() const { return ReadWholeFile(Target() + "/Updater Log File.txt"); }

    // Opens the wizard and walks it to the confirmation page with the copy
    // selected, then presses Next there.
    void RunWizard()
    {
        delete gGlobalWin;
        gGlobalWin = new CGlobalWin(itsKit);
        ASSERT_EQ(gGlobalWin->DoModal(), 1);
        ASSERT_EQ(gGlobalWin->GetCurrentPage(), kPageWelcome);
        gGlobalWin->DoCommand(kItemNext, 0, 0);
        ASSERT_EQ(gGlobalWin->GetFolders().GetCount(), 1);
        gGlobalWin->SelectFolderRow(0);
        gGlobalWin->DoCommand(kItemNext, 0, 0);
        ASSERT_EQ(gGlobalWin->GetCurrentPage(), kPageConfirm);
        gGlobalWin->DoCommand(kItemNext, 0, 0);
    }

    // The target as it is, less the log that every run writes.
    TreeSnapshot TargetWithoutLog() const { return SnapshotTree(Target(), "Updater Log File.txt"); }

    std::string ItemText(int theItemId) const { return gGlobalWin->FindEntry(theItemId)->itsText.GetText(); }

    std::vector<std::string> Backups() const
    {
        std::vector<std::string> backups;
        for (const auto& entry : std::filesystem::directory_iterator(Target()))
            if (std::regex_match(
                    entry.path().filename().string(), std::regex("Patchwell 5_Backup_[0-9]{4}\\.app")))
                backups.push_back(entry.path().string());
        return backups;
    }

    CScopedGlobal<int32_t> itsAbort { gAbortUpdate, 0 };
    CScopedGlobal<bool> itsClosed { bGlobalClosed, false };
    CTestHost itsHost;
    TempFolder itsTemp;
    CUpdateKit itsKit;
    TreeSnapshot itsOldBuild;
    TreeSnapshot itsNewBuild;
};

} // namespace

TEST_F(UpdateRun, ReplacesTheBundleKeepsTheOldOneAndLogsEveryStep)
{
    itsTemp.Write("Applications/Patchwell 5/Patchwell", "old-style program");
    // While the run blocks the loop, the poll is the only way in: a click that
    // reached the window then must not start anything of its own.
    int polls = 0;
    itsHost.itsCancelPoll = [&] {
        if (polls++ == 0) {
            EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageProgress);
            EXPECT_EQ(itsHost.itsCursors, std::vector<int> { 129 }) << "the busy cursor";
            for (int command : { int(kItemBack), int(kItemNext), int(kItemCancel), int(kItemAdd), 1, 102 })
                gGlobalWin->DoCommand(command, 0, 0);
            EXPECT_TRUE(itsHost.itsAlerts.empty()) << "no exit question during the run";
            EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageProgress);
        }
        return false;
    };
    RunWizard();
    EXPECT_GT(polls, 0);
    ASSERT_EQ(gGlobalWin->GetCurrentPage(), kPageDone);
    EXPECT_EQ(itsHost.itsCursors, (std::vector<int> { 129, 128 }));
    EXPECT_FALSE(gGlobalWin->IsItemEnabled(kItemNext));
    EXPECT_FALSE(gGlobalWin->IsItemEnabled(kItemBack));
    EXPECT_TRUE(gGlobalWin->IsItemEnabled(kItemCancel));
    EXPECT_EQ(ItemText(kItemMessage), "");
    EXPECT_EQ(ItemText(kItemPercent), "100%");
    EXPECT_EQ(gGlobalWin->GetExitStatus(), kExitDone);

    EXPECT_EQ(SnapshotTree(Bundle()), itsNewBuild);
    const std::vector<std::string> backups = Backups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(SnapshotTree(backups[0]), itsOldBuild);
    EXPECT_EQ(FileDate(Bundle()), LocalTime(2010, 1, 1, 9, 0, 0)) << "the newest valid build's date";
    EXPECT_EQ(ReadWholeFile(Target() + "/Patchwell PPC"), "old-style program");
    EXPECT_FALSE(std::filesystem::exists(Target() + "/Patchwell"));

    // Every entry in archive order, "NewFiles/" mapped away, then the check of
    // the new bundle; only then is the old one moved aside (the old-style
    // program unlogged), and the new one's date told once it is in place.
    // The copy names no key: the kit's origin is not checked, and the log says so first.
    std::string expected = std::string(kUncheckedOrigin) + "\n";
    expected += "Opening update zip file - " + (itsTemp / "Update.zip") + " succeeded\n";
    const ProgramRun names = RunProgram("zipinfo -1 " + ShellQuote(itsTemp / "Update.zip"));
    ASSERT_EQ(names.status, 0);
    std::istringstream lines(names.output);
    for (std::string name; std::getline(lines, name);)
        expected += "ExtractOneFile - " + Target() + "/" + name.substr(std::strlen("NewFiles/")) + "\n";
    expected += Bundle() + " matches the newest valid build of 2010/01/01 09:00:00\n";
    expected += "Rename of " + Bundle() + " to " + backups[0] + " succeeded\n";
    expected += Bundle() + " timestamp set to 2010/01/01 09:00:00 \n";
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(ItemText(kItemWhereThingsAre),
        "Updated folder: \"" + Target() + "\"\nThe log of this update is in \"" + Target()
            + "/Updater Log File.txt\".\nYour previous copy of the program was kept as \"" + backups[0]
            + "\".");

    itsHost.itsCancelPoll = nullptr;
    gGlobalWin->DoCommand(kItemCancel, 0, 0);
    EXPECT_TRUE(bGlobalClosed) << "commands are heard again after the run";
}

TEST_F(UpdateRun, WithoutABackupNothingIsChanged)
{
    for (int n = 0; n < 1000; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Applications/Patchwell 5/Patchwell 5_Backup_%04d.app/taken", n);
        itsTemp.Write(name, "");
    }
    const TreeSnapshot before = SnapshotTree(Target());
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    EXPECT_EQ(ItemText(kItemMessage), "Unable to back up " + Bundle() + " - File exists");
    const std::string log = Log();
    size_t failed = 0;
    for (size_t at = log.find(" failed\n"); at != std::string::npos; at = log.find(" failed\n", at + 1))
        ++failed;
    EXPECT_EQ(failed, 25u) << log;
    EXPECT_THAT(log, Not(HasSubstr("succeeded\nRename"))) << "no rename succeeded";
    EXPECT_EQ(TargetWithoutLog(), before);
    EXPECT_EQ(gGlobalWin->GetExitStatus(), kExitRefused);

    // The old-style program moved aside first: the copy was changed.
    itsTemp.Write("Applications/Patchwell 5/Patchwell", "old-style program");
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    EXPECT_EQ(gGlobalWin->GetExitStatus(), kExitFailed) << ItemText(kItemMessage);
}

// Each failure to open or read the archive ends on the failed page with one
// log line, the advice that fits it, and the installation exactly as it was.
// The check before the run names its refusals as the command line does
// (HostileCorpus, EntryNameBytes.AnUnsafeNameIsReportedWithItsBytes).
TEST_F(UpdateRun, BadArchivesTouchNothing)
{
    using Text = testing::Matcher<std::string>;
    struct Case {
        const char* itsName;
        std::function<void()> itsBreak;
        Text itsMessage;
        Text itsLog;
        std::string itsAdvice; // what the failed page says to do, first
    };
    const std::string archive = itsTemp / "Update.zip";
    const std::string origin = std::string(kUncheckedOrigin) + "\n";
    const std::string opening = origin + "Opening update zip file - " + archive + " failed: ";
    const std::string damaged = "The update kit's archive is damaged or incomplete.";
    const std::string wrongKey = "The update kit's archive does not open with this program's key";
    // Which entry is refused first is chance: an entry's one check byte lets
    // one wrong key in 256 through, and the check goes on to the next entry.
    // Where the entry's header lies is Extraction.PasswordFailures's.
    const std::string wrongPassword
        = "Unable to open compressed file (27): the password does not open the entry (entry NewFiles/";
    // What happened, in order: the archive did open before its content was refused.
    const std::string opened = origin + "Opening update zip file - " + archive + " succeeded\n";
    const std::string pristine = ReadWholeFile(archive);
    const std::vector<Case> cases = {
        { "no archive", [&] { std::filesystem::remove(archive); },
            "Error opening compressed file container: the file cannot be opened: No such file or directory",
            opening + "the file cannot be opened: No such file or directory\n", damaged },
        { "not a zip", [&] { itsTemp.Write("Update.zip", "PK but not really"); },
            "Error opening compressed file container: the file is too short to be an archive (17 bytes)",
            opening + "the file is too short to be an archive (17 bytes)\n", damaged },
        // The log names the entry's path as the extraction's would; the
        // message names it as the archive does, and where it lies.
        { "wrong password", [&] { itsKit.itsPassword = "not the key text"; },
            AllOf(StartsWith(wrongPassword), EndsWith(")")),
            AllOf(StartsWith(opened + "ExtractOneFile - " + Target() + "/"),
                HasSubstr("\nExtractOneFile failed - " + wrongPassword), EndsWith(")\n")),
            wrongKey },
        // What happened, with the number it always had and then which check
        // failed on which entry; the old bundle keeps its date.
        { "a damaged byte inside the incompressible entry",
            [&] {
                std::string bytes = pristine;
                bytes[bytes.find("Noise.fab") + 9 + 30 + bytes.size() / 4] ^= 0x55;
                itsTemp.Write("Update.zip", bytes);
            },
            AllOf(StartsWith("Decompress Error ("),
                HasSubstr(
                    "(entry NewFiles/Patchwell 5.app/Contents/Resources/Fabrics/Noise.fab, local header "
                    "at offset ")),
            AllOf(StartsWith(opened), HasSubstr("ExtractOneFile failed - Decompress Error ("),
                Not(HasSubstr(" timestamp set to "))),
            damaged + " Get the update kit again, and start the update from the new copy.\n" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        itsTemp.Write("Update.zip", pristine);
        BuildDataKeyText(itsKit.itsPassword);
        test.itsBreak();
        std::filesystem::remove(Target() + "/Updater Log File.txt");
        // No staging folder, journal or temporary file is left either.
        const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");

        RunWizard();
        EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
        EXPECT_EQ(gGlobalWin->GetExitStatus(), kExitRefused) << "the copy was not changed";
        EXPECT_FALSE(gGlobalWin->IsItemEnabled(kItemCancel));
        EXPECT_THAT(ItemText(kItemMessage), test.itsMessage);
        EXPECT_THAT(ItemText(kItemWhereThingsAre),
            AllOf(StartsWith(test.itsAdvice), HasSubstr("Updater Log File.txt"),
                HasSubstr("Nothing in the installation was changed.")));
        EXPECT_THAT(Log(), test.itsLog);
        TreeSnapshot after = SnapshotTree(itsTemp.Path() / "Applications");
        after.erase("Patchwell 5/Updater Log File.txt");
        EXPECT_EQ(after, before);
    }
}

TEST_F(UpdateRun, ReadOnlyTargetGetsNoLogAndIsNotTouched)
{
    const TreeSnapshot before = SnapshotTree(Target());
    std::unique_ptr<CBindMount> readOnly;
    if (geteuid() == 0) {
        // Root writes through permissions; only a read-only mount stops it.
        readOnly = std::make_unique<CBindMount>(Target(), CBindMount::kReadOnly);
        if (!readOnly->IsMounted())
            GTEST_SKIP() << "this machine cannot make a read-only folder for root";
    } else {
        std::filesystem::permissions(
            Target(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    }
    RunWizard();
    readOnly.reset();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    // Where, and the system's reason: the folder is this user's own, so no one else is named.
    EXPECT_EQ(ItemText(kItemMessage),
        "Failed to create updater log file\n" + Target() + "/Updater Log File.txt cannot be made: "
            + (geteuid() == 0 ? "Read-only file system." : "Permission denied."));
    EXPECT_EQ(SnapshotTree(Target()), before);
}

// The figure of the room check covers all the run writes: with it and a
// little more free, an update of many files (each a line in the log) is done.
TEST_F(UpdateRun, TheRoomCheckCountsTheLogAndTheFoldersToo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a small file system can only be mounted by root";
    for (int page = 0; page < 1500; ++page)
        itsTemp.Write(
            "builds/5.0.2/Patchwell 5/Help/Pages/page-" + std::to_string(page) + "-of-the-help.html",
            "<p>" + std::to_string(page) + "</p>");
    std::filesystem::remove(itsTemp / "Update.zip");
    ASSERT_EQ(PackArchive(itsTemp / "Update.zip", itsTemp / "builds/5.0.2/Patchwell 5"), 0);
    std::filesystem::remove_all(Target());
    CMountedFolder disk(Target(), "size=64m");
    ASSERT_TRUE(disk.IsMounted());
    std::filesystem::copy(
        itsTemp.Path() / "builds/5.0.1/Patchwell 5", Target(), std::filesystem::copy_options::recursive);

    FillUpTo(Target(), 16 << 10);
    const TreeSnapshot before = TargetWithoutLog();
    RunWizard();
    ASSERT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    std::smatch figure;
    const std::string message = ItemText(kItemMessage);
    ASSERT_TRUE(std::regex_search(
        message, figure, std::regex("^Not enough room on the disk for the update: it needs ([0-9]+) bytes")))
        << message;
    EXPECT_EQ(TargetWithoutLog(), before) << "refused before any change";

    std::filesystem::remove(Target() + "/filler");
    std::filesystem::remove(Target() + "/Updater Log File.txt");
    FillUpTo(Target(), std::stoull(figure[1]) + (16 << 10));
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageDone) << ItemText(kItemMessage);
    EXPECT_EQ(ReadWholeFile(Target() + "/Help/Pages/page-1499-of-the-help.html"), "<p>1499</p>");
}

// The room check counts what the file system counts: inodes too.
TEST_F(UpdateRun, AFullDiskIsRefusedBeforeAnyChange)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a small file system can only be mounted by root";
    std::filesystem::remove_all(Target());
    CMountedFolder disk(Target(), "nr_inodes=30");
    ASSERT_TRUE(disk.IsMounted());
    std::filesystem::copy(
        itsTemp.Path() / "builds/5.0.1/Patchwell 5", Target(), std::filesystem::copy_options::recursive);
    const TreeSnapshot before = SnapshotTree(Target());
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    EXPECT_THAT(ItemText(kItemMessage),
        AllOf(StartsWith("Not enough room on the disk for the update: it needs "),
            HasSubstr("files and folders")));
    EXPECT_EQ(TargetWithoutLog(), before);
}

TEST_F(UpdateRun, ABundleThatCannotBeMovedIsNotUpdatedInPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a mount point can only be made by root";
    // A mount point cannot be renamed.
    CBindMount pinned(Bundle(), CBindMount::kWritable);
    ASSERT_TRUE(pinned.IsMounted());
    const TreeSnapshot before = SnapshotTree(Target());
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed);
    EXPECT_EQ(ItemText(kItemMessage), "Unable to back up " + Bundle() + " - Device or resource busy");
    EXPECT_THAT(ItemText(kItemWhereThingsAre), HasSubstr("Nothing in the installation was changed."));
    EXPECT_EQ(TargetWithoutLog(), before);
    EXPECT_TRUE(Backups().empty());
}

// The status the window ends the program with, as --apply does: a stop by the
// user fails the run even before any change (the other statuses are checked
// where their runs are).
TEST_F(UpdateRun, TheExitStatusSaysWhetherTheCopyWasChanged)
{
    itsHost.itsCancelPoll = [] { return true; };
    itsHost.itsAlertAnswer = [](const CAlert&) { return static_cast<int>(kResultYes); };
    RunWizard();
    EXPECT_EQ(gGlobalWin->GetCurrentPage(), kPageFailed) << ItemText(kItemMessage);
    EXPECT_EQ(gGlobalWin->GetExitStatus(), kExitFailed) << "stopped by the user, even before any change";
}
