// patchwell-updater's command line as an administrator meets it: every
// refusal names what is wrong and what to do, with its own exit status.

#include "KitFixture.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sys/stat.h>

namespace {

class UpdaterCommandLine : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        const ProgramRun pack = Pack(BothBuilds());
        ASSERT_EQ(pack.status, 0) << pack.output;
    }

    std::string InstalledArgument() const { return ShellQuote(Installed().string()); }
    std::string DataFile() const { return Kit() + "/data.txt"; }

    int BackupCount() const
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Installed()))
            count += entry.path().filename().string().find("_Backup_") != std::string::npos;
        return count;
    }
};

bool Says(const ProgramRun& theRun, const std::string& theText)
{
    return theRun.output.find(theText) != std::string::npos;
}

} // namespace

TEST_F(UpdaterCommandLine, AKitWithADamagedDataFileIsRefusedByName)
{
    const std::string good = ReadWholeFile(DataFile());
    const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");
    const std::string named = "patchwell-updater: the update kit's data file '" + DataFile() + "' ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        { good.substr(0, good.size() / 2 + 7), "is damaged: line" },
        { "", "holds no records." },
        { std::string(500, '\x9c') + "\n" + std::string(300, 'z'),
            "is damaged: lines 1-2 could not be read." },
    };
    for (const auto& [contents, said] : cases) {
        itsTemp.Write("kit/data.txt", contents);
        for (const std::string& mode : { std::string("--list"), "--apply " + InstalledArgument() }) {
            const ProgramRun run = Updater(mode);
            EXPECT_EQ(run.status, 3) << mode << "\n" << run.output;
            EXPECT_TRUE(Says(run, named + said)) << run.output;
            EXPECT_TRUE(Says(run, "or name that folder with --bundle DIR")) << run.output;
        }
    }
    std::filesystem::remove(DataFile());
    const ProgramRun missing = Updater("--list");
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(Says(missing, named + "cannot be read: No such file or directory.")) << missing.output;
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "Applications"), before);
}

// As a text editor may save it: CR LF line ends and a blank line at the end.
TEST_F(UpdaterCommandLine, ADataFileWithCarriageReturnsIsReadAsWritten)
{
    std::string crlf;
    for (const char c : ReadWholeFile(DataFile()))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    itsTemp.Write("kit/data.txt", crlf + "\r\n");
    const ProgramRun list = Updater("--list");
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_TRUE(Says(list, Installed().string() + "\n    Patchwell 5.app, ")) << list.output;
    EXPECT_TRUE(Says(list, "matches the valid build of ")) << list.output;
    const ProgramRun apply = Updater("--apply " + InstalledArgument());
    EXPECT_EQ(apply.status, 0) << apply.output;
    EXPECT_TRUE(Says(apply, "The update is done.")) << apply.output;
}

TEST_F(UpdaterCommandLine, FifosInTheKitDoNotHangTheStart)
{
    std::filesystem::rename(Kit() + "/readme.txt", itsTemp / "readme.saved");
    ASSERT_EQ(mkfifo((Kit() + "/readme.txt").c_str(), 0600), 0);
    // timeout turns a hang into a failure instead of a stuck test run.
    const ProgramRun apply = RunProgram("timeout 120 " + ShellQuote(Kit() + "/patchwell-updater")
        + " --bundle " + ShellQuote(Kit()) + " --applications " + ShellQuote(itsTemp / "Applications")
        + " --apply " + InstalledArgument());
    EXPECT_EQ(apply.status, 0) << apply.output;

    std::filesystem::remove(DataFile());
    ASSERT_EQ(mkfifo(DataFile().c_str(), 0600), 0);
    const ProgramRun list
        = RunProgram("timeout 120 " + ShellQuote(Kit() + "/patchwell-updater") + " --bundle "
            + ShellQuote(Kit()) + " --applications " + ShellQuote(itsTemp / "Applications") + " --list");
    EXPECT_EQ(list.status, 3) << list.output;
    EXPECT_TRUE(Says(list, "'" + DataFile() + "' cannot be read: Not a regular file.")) << list.output;
}

TEST_F(UpdaterCommandLine, MissingArchiveAndFoldersAreNamed)
{
    const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");
    const ProgramRun missingFolder = Updater("--apply " + ShellQuote(itsTemp / "Applications/None"));
    EXPECT_EQ(missingFolder.status, 3);
    EXPECT_TRUE(Says(missingFolder,
        "patchwell-updater: the folder '" + itsTemp / "Applications/None" + "' does not exist.\n"
            + "Name the folder that holds the installed copy; --list shows the copies found.\n"))
        << missingFolder.output;

    const ProgramRun aFile = Updater("--apply " + ShellQuote(Kit() + "/data.txt"));
    EXPECT_EQ(aFile.status, 3);
    EXPECT_TRUE(Says(aFile, "the folder '" + Kit() + "/data.txt' is not a folder.\n")) << aFile.output;

    const ProgramRun applications = RunProgram(ShellQuote(Kit() + "/patchwell-updater") + " --bundle "
        + ShellQuote(Kit()) + " --applications " + ShellQuote(itsTemp / "Nowhere") + " --list");
    EXPECT_EQ(applications.status, 3);
    EXPECT_TRUE(Says(applications,
        "patchwell-updater: the folder '" + itsTemp / "Nowhere"
            + "' named by --applications does not exist."))
        << applications.output;

    std::filesystem::rename(Kit() + "/Spring Update.zip", itsTemp / "Spring Update.zip");
    const ProgramRun noArchive = Updater("--apply " + InstalledArgument());
    EXPECT_EQ(noArchive.status, 3);
    EXPECT_TRUE(
        Says(noArchive, "patchwell-updater: no update archive (.zip file) was found in '" + Kit() + "'.\n"))
        << noArchive.output;
    EXPECT_EQ(Updater("--list").status, 0) << "listing needs no archive";
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "Applications"), before);
}

TEST_F(UpdaterCommandLine, ACopyWithAChangedProgramIsListedAsUnknown)
{
    std::ofstream(Installed() / "Patchwell 5.app/Contents/MacOS/Patchwell", std::ios::app) << "patched";
    const ProgramRun list = Updater("--list");
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(std::regex_search(list.output,
        std::regex(Installed().string()
            + "\n    Patchwell 5\\.app, [0-9/: ]+, not a known build: its program differs from every valid "
              "build\n")))
        << list.output;
    const ProgramRun apply = Updater("--apply " + InstalledArgument());
    EXPECT_EQ(apply.status, 3);
    EXPECT_TRUE(Says(apply, "No valid Patchwell program found in\n'" + Installed().string() + "'\n"))
        << apply.output;
}

TEST_F(UpdaterCommandLine, UsageErrorsAndRefusalsHaveTheirOwnStatus)
{
    const ProgramRun both = Updater("--list --apply " + InstalledArgument());
    EXPECT_EQ(both.status, 2);
    EXPECT_TRUE(Says(both, "--list and --apply cannot be used together")) << both.output;
    EXPECT_EQ(Updater("--force").status, 2);
    EXPECT_EQ(Updater("--list --verbose").status, 2);
    const ProgramRun valued = Updater("--list=yes");
    EXPECT_EQ(valued.status, 2);
    EXPECT_TRUE(Says(valued, "option '--list' takes no value")) << valued.output;
    EXPECT_EQ(Updater("--apply").status, 2);
    EXPECT_EQ(Updater("--apply=").status, 2);

    const ProgramRun help = Updater("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* status :
        { "  0  done", "  1  the update failed", "  2  the command line is wrong", "  3  refused" })
        EXPECT_TRUE(Says(help, status)) << help.output;
}

// Status 3 is every run that stopped before it changed the copy, whatever
// stopped it; 1 is kept for a copy that was changed.
TEST_F(UpdaterCommandLine, AnArchiveRefusedBeforeAnyChangeIsStatusThree)
{
    const std::string archive = Kit() + "/Spring Update.zip";
    const std::string pristine = ReadWholeFile(archive);
    const TreeSnapshot before = SnapshotTree(Installed());
    const std::vector<std::pair<std::string, std::string>> cases = {
        { pristine.substr(0, pristine.size() / 2),
            "Error opening compressed file container: no end record in the last "
                + std::to_string(std::min<size_t>(pristine.size() / 2, 22 + 65535 + 20))
                + " bytes of the file" },
        { RawZip({ { "NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell", "program" } }, "another password"),
            std::string("Unable to open compressed file (27): the password does not open the entry (entry ")
                + "NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell, local header at offset 0)" },
        { RawZip({ { "NewFiles/Help/index.html", "help" } }), "The update archive holds no Patchwell 5.app" },
        // Every folder it names is there: it looked like a copy already up to date.
        { RawZip({ { "NewFiles/", "" } }), "The update archive holds no files, only folders: " + archive },
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        itsTemp.Write("kit/Spring Update.zip", bytes);
        const ProgramRun apply = Updater("--apply " + InstalledArgument());
        EXPECT_EQ(apply.status, 3) << apply.output;
        EXPECT_TRUE(Says(apply, "The update failed.\n" + message + "\n")) << apply.output;
        EXPECT_TRUE(Says(apply, "Nothing in the installation was changed.")) << apply.output;
        TreeSnapshot after = SnapshotTree(Installed());
        after.erase("Updater Log File.txt");
        EXPECT_EQ(after, before);
    }
}

TEST_F(UpdaterCommandLine, AnUpToDateCopyIsLeftAloneUnlessForced)
{
    const ProgramRun first = Updater("--apply=" + InstalledArgument());
    ASSERT_EQ(first.status, 0) << first.output;
    ASSERT_EQ(BackupCount(), 1);
    const TreeSnapshot updated = SnapshotTree(Installed());

    const ProgramRun again = Updater("--apply " + InstalledArgument());
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_TRUE(Says(again,
        "The copy in " + Installed().string() + " is already up to date; nothing was changed.\n"
            + "Use --force to install the update again.\n"))
        << again.output;
    EXPECT_EQ(SnapshotTree(Installed()), updated);

    // Forced, and told line by line as the log is written.
    const ProgramRun forced = Updater("--apply " + InstalledArgument() + " --force --verbose");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(Says(forced, "The update is done.")) << forced.output;
    EXPECT_EQ(BackupCount(), 2);
    EXPECT_TRUE(Says(forced, "\nOpening update zip file - " + Kit() + "/Spring Update.zip succeeded\n"))
        << forced.output;
    EXPECT_TRUE(Says(forced, "\nRename of " + (Installed() / "Patchwell 5.app").string() + " to "))
        << forced.output;
}

TEST_F(UpdaterCommandLine, ProgressRewritesOneLineOnATerminalOnly)
{
    const ProgramRun piped = Updater("--apply " + InstalledArgument());
    ASSERT_EQ(piped.status, 0) << piped.output;
    EXPECT_TRUE(std::regex_search(piped.output, std::regex("\nFile 1 of [0-9]+, [0-9]+%\n"))) << piped.output;
    EXPECT_FALSE(Says(piped, "\r"));

    // script(1) gives the updater a terminal of its own.
    std::filesystem::remove_all(Installed());
    std::filesystem::copy(
        itsTemp.Path() / "builds/5.0.1/Patchwell 5", Installed(), std::filesystem::copy_options::recursive);
    const std::string command = ShellQuote(Kit() + "/patchwell-updater") + " --bundle " + ShellQuote(Kit())
        + " --applications " + ShellQuote(itsTemp / "Applications") + " --apply " + InstalledArgument();
    const ProgramRun terminal = RunProgram("script -qec " + ShellQuote(command) + " /dev/null");
    ASSERT_EQ(terminal.status, 0) << terminal.output;
    EXPECT_TRUE(std::regex_search(terminal.output, std::regex("\rFile 2 of [0-9]+, [0-9]+%\x1b\\[K\r")))
        << terminal.output;
    EXPECT_TRUE(std::regex_search(terminal.output, std::regex("%\x1b\\[K\r?\nThe update is done\\.")))
        << terminal.output;
}
