// patchwell-updater's command line as an administrator meets it: every
// refusal names what is wrong and what to do, with its own exit status.

#include "KitFixture.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class UpdaterCommandLine : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    }

    std::string DataFile() const { return Kit() + "/data.txt"; }
};

// What tools that update many machines read: one JSON object for --list and
// --apply, read by Python's json module as such a tool would, and the history
// of updates that every run appends one line to.
class FleetRun : public UpdaterCommandLine {
protected:
    // The updater's standard output alone; what it says to the person goes
    // to the file Said() reads. Its history is kept under theState.
    ProgramRun Run(const std::string& theArguments, const std::string& theState = "")
    {
        const std::string state = theState.empty() ? itsTemp / "state" : theState;
        // RunProgram gathers the group's standard error, none left inside it.
        return RunProgram("{ XDG_STATE_HOME=" + ShellQuote(state) + " "
            + UpdaterCommand(theArguments + " </dev/null 2>" + ShellQuote(itsTemp / "said")) + "; }");
    }
    std::string Said() const { return ReadWholeFile(itsTemp / "said"); }

    // What theScript prints of theJson, which it reads as `d`; a failure to
    // read the object (anything but one object, bad escapes) is its output.
    std::string Read(const std::string& theJson, const std::string& theScript)
    {
        const std::string file = itsTemp.Write("out.json", theJson);
        return RunProgram("python3 -c "
            + ShellQuote("import json, os, sys\nd = json.load(open(sys.argv[1]))\n" + theScript) + " "
            + ShellQuote(file))
            .output;
    }

    std::vector<std::vector<std::string>> History() const
    {
        std::vector<std::vector<std::string>> lines;
        std::ifstream file(itsTemp / "state/Patchwell/updates.log");
        for (std::string line; std::getline(file, line);) {
            std::vector<std::string> fields;
            std::stringstream split(line);
            for (std::string field; std::getline(split, field, '\t');)
                fields.push_back(field);
            lines.push_back(fields);
        }
        return lines;
    }

    fs::path CopyOfBuild(const std::string& theVersion, const std::string& theFolder)
    {
        const fs::path folder = itsTemp.Path() / "Applications" / theFolder;
        fs::copy(itsTemp.Path() / "builds" / theVersion / "Patchwell 5", folder, fs::copy_options::recursive);
        return folder;
    }
};

} // namespace

// Each refusal names what is missing, damaged or unknown, and changes nothing.
TEST_F(UpdaterCommandLine, RefusalsNameTheMissingFolderOrKitPartOrTheUnknownProgram)
{
    // Its program matches no build the kit lists, which --apply leaves alone.
    std::ofstream(Installed() / "Patchwell 5.app/Contents/MacOS/Patchwell", std::ios::app) << "patched";
    const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");
    const std::string none = itsTemp / "Applications/None";
    const std::pair<std::string, std::string> cases[] = {
        { "--apply " + ShellQuote(none),
            "patchwell-updater: the folder '" + none + "' does not exist.\n"
                + "Name the folder that holds the installed copy; --list shows the copies found.\n" },
        { "--apply " + ShellQuote(DataFile()), "the folder '" + DataFile() + "' is not a folder.\n" },
        // The last --applications counts.
        { "--applications " + ShellQuote(itsTemp / "Nowhere") + " --list",
            "patchwell-updater: the folder '" + itsTemp / "Nowhere"
                + "' named by --applications does not exist." },
    };
    for (const auto& [arguments, said] : cases)
        EXPECT_TRUE(Ran(Updater(arguments), 3, said));

    const ProgramRun list = Updater("--list");
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(std::regex_search(list.output,
        std::regex(Installed().string()
            + "\n    Patchwell 5\\.app, [0-9/: ]+, not a known build: its program differs from every valid "
              "build\n")))
        << list.output;
    EXPECT_TRUE(Ran(Apply(), 3, "No valid Patchwell program found in\n'" + Installed().string() + "'\n"));

    std::filesystem::rename(Kit() + "/Spring Update.zip", itsTemp / "Spring Update.zip");
    EXPECT_TRUE(
        Ran(Apply(), 3, "patchwell-updater: no update archive (.zip file) was found in '" + Kit() + "'.\n"));
    EXPECT_TRUE(Ran(Updater("--list"), 0)) << "listing needs no archive";

    const std::string good = ReadWholeFile(DataFile());
    const std::string named = "patchwell-updater: the update kit's data file '" + DataFile() + "' ";
    // Which lines and why is ProgramData's; here, that both modes refuse by name.
    itsTemp.Write("kit/data.txt", good.substr(0, good.size() / 2 + 7));
    for (const std::string& mode : { std::string("--list"), "--apply " + ShellQuote(Installed()) }) {
        const ProgramRun run = Updater(mode);
        EXPECT_TRUE(Ran(run, 3, named + "is damaged: line")) << mode;
        EXPECT_TRUE(Ran(run, 3, "or name that folder with --bundle DIR"));
    }
    // Read through a file's type first: a pipe in its place would wait forever.
    std::filesystem::remove(DataFile());
    EXPECT_TRUE(Ran(Updater("--list"), 3, named + "cannot be read: No such file or directory."));
    ASSERT_EQ(mkfifo(DataFile().c_str(), 0600), 0);
    EXPECT_TRUE(Ran(Updater("--list"), 3, named + "cannot be read: Not a regular file."));
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "Applications"), before);
}

TEST_F(UpdaterCommandLine, UsageErrorsAndRefusalsHaveTheirOwnStatus)
{
    const std::pair<std::string, std::string> cases[] = {
        { "--list --apply " + ShellQuote(Installed()), "--list and --apply cannot be used together" },
        { "--force", "" },
        { "--list --verbose", "" },
        { "--list=yes", "option '--list' takes no value" },
        { "--apply", "" },
        { "--apply=", "" },
        { "--frobnicate", "unknown option '--frobnicate'" },
        { "--bundle", "option '--bundle' needs a folder or file" },
        { "/another/kit", "name the update kit once: with --bundle or alone" },
        { "--quiet --list", "--quiet goes with --apply FOLDER" },
        { "-q --verbose --apply " + ShellQuote(Installed()),
            "--quiet and --verbose cannot be used together" },
    };
    for (const auto& [arguments, said] : cases)
        EXPECT_TRUE(Ran(Updater(arguments), 2, said)) << arguments;
    const ProgramRun help = Updater("--help");
    for (const char* said : { "--bundle KIT", "  0  done", "  1  the update failed",
             "  2  the command line is wrong", "  3  refused" })
        EXPECT_TRUE(Ran(help, 0, said));
    EXPECT_TRUE(Ran(Updater("--version"), 0, "patchwell-updater "));
    // A kit is named once; after "--" a name that looks like an option is the kit's.
    const std::string updater = ProgramFromEnvironment("PW_UPDATER");
    EXPECT_TRUE(Ran(RunProgram(updater + " one two"), 2, "name one update kit, not also 'two'"));
    EXPECT_TRUE(Ran(RunProgram(updater + " --list -- --frobnicate"), 3,
        "the folder '--frobnicate' named by the command line does not exist"));
}

TEST_F(UpdaterCommandLine, AnUpToDateCopyIsLeftAloneUnlessForcedAndProgressRewritesOneLineOnATerminalOnly)
{
    // A readme that is a pipe, which the start must not wait on.
    std::filesystem::remove(Kit() + "/readme.txt");
    ASSERT_EQ(mkfifo((Kit() + "/readme.txt").c_str(), 0600), 0);
    const ProgramRun list = Updater("--list");
    EXPECT_TRUE(Ran(list, 0, Installed().string() + "\n"));
    EXPECT_TRUE(Ran(list, 0, "matches the valid build of 2025/03/01 10:00:00"));

    // Quiet, an update that went well says only that the kit's origin was not checked.
    const ProgramRun quiet = Updater("-q --apply=" + ShellQuote(Installed()));
    ASSERT_EQ(quiet.status, 0) << quiet.output;
    EXPECT_EQ(quiet.output.rfind("The origin of the update kit could not be checked", 0), 0u) << quiet.output;
    EXPECT_EQ(std::count(quiet.output.begin(), quiet.output.end(), '\n'), 1) << quiet.output;
    const std::filesystem::path newBuild = itsTemp.Path() / "builds/5.0.2/Patchwell 5";
    EXPECT_EQ(SnapshotTree(Installed() / "Patchwell 5.app"), SnapshotTree(newBuild / "Patchwell 5.app"));
    EXPECT_EQ(SnapshotTree(Installed() / "Help"), SnapshotTree(newBuild / "Help"));
    ASSERT_EQ(BackupCount(), 1) << "the old build is kept under a backup name";
    const TreeSnapshot updated = SnapshotTree(Installed());
    EXPECT_TRUE(Ran(Apply(), 0,
        "The copy in " + Installed().string() + " is already up to date; nothing was changed.\n"
            + "Use --force to install the update again.\n"));
    EXPECT_EQ(SnapshotTree(Installed()), updated);

    // Forced, and told line by line as the log is written.
    const ProgramRun forced = Apply(" --force --verbose");
    EXPECT_TRUE(Ran(forced, 0, "The update is done."));
    EXPECT_EQ(BackupCount(), 2);
    EXPECT_TRUE(Ran(forced, 0, "\nOpening update zip file - " + Kit() + "/Spring Update.zip succeeded\n"));
    EXPECT_TRUE(Ran(forced, 0, "\nRename of " + (Installed() / "Patchwell 5.app").string() + " to "));
    // Piped, progress is told a line at a time.
    EXPECT_TRUE(std::regex_search(forced.output, std::regex("\nFile 1 of [0-9]+, [0-9]+%\n")))
        << forced.output;
    EXPECT_EQ(forced.output.find('\r'), std::string::npos);

    // script(1) gives the updater a terminal of its own.
    Reinstall();
    const std::string command = UpdaterCommand("--apply " + ShellQuote(Installed()));
    const ProgramRun terminal = RunProgram("script -qec " + ShellQuote(command) + " /dev/null");
    ASSERT_EQ(terminal.status, 0) << terminal.output;
    EXPECT_TRUE(std::regex_search(terminal.output, std::regex("\rFile 2 of [0-9]+, [0-9]+%\x1b\\[K\r")))
        << terminal.output;
    EXPECT_TRUE(std::regex_search(terminal.output, std::regex("%\x1b\\[K\r?\nThe update is done\\.")))
        << terminal.output;
}

// A copy that another user owns: the log cannot be made, and the message
// says where, why and who can run the update. As root the run is made as
// nobody; otherwise the copy's folder is made read-only to its owner.
TEST_F(UpdaterCommandLine, ACopyThatOnlyItsOwnerMayChangeNamesTheOwner)
{
    const TreeSnapshot before = Installation();
    const bool bRoot = geteuid() == 0;
    std::string command = UpdaterCommand("--apply " + ShellQuote(Installed()));
    if (bRoot) {
        if (RunProgram("command -v setpriv").status != 0)
            GTEST_SKIP() << "setpriv is not installed";
        fs::permissions(itsTemp.Path(),
            fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
            fs::perm_options::add);
        command = "setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent " + command;
    } else {
        fs::permissions(Installed(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    const ProgramRun run = RunProgram("timeout 300 " + command);
    if (!bRoot)
        fs::permissions(Installed(), fs::perms::owner_all);
    EXPECT_TRUE(Ran(run, 3,
        "Failed to create updater log file\n" + Installed().string()
            + "/Updater Log File.txt cannot be made: Permission denied.\n"));
    if (bRoot) {
        EXPECT_TRUE(Ran(run, 3,
            "The folder " + Installed().string()
                + " belongs to the user root; the update must be run by that user."));
    }
    EXPECT_EQ(Installation(), before);
}

// A folder's name is any bytes: Python's surrogateescape gives them back,
// and the history writes its tab as \t.
TEST_F(FleetRun, ListAndApplyTellOneJsonObjectEachAndEachRunAppendsOneLineToTheHistory)
{
    const fs::path odd = CopyOfBuild("5.0.2", "Patchwell \xff\t\"new\"");
    const ProgramRun list = Run("--list --json");
    ASSERT_EQ(list.status, 0) << Said();
    EXPECT_EQ(Read(list.output,
                  "print(d['status'], d['exitStatus'], d['newestBuild'] is not None)\n"
                  "for c in sorted(d['copies'], key=lambda c: os.fsencode(c['folder'])):\n"
                  "    print(os.fsencode(c['folder']), c['known'], c['build'] is not None, c['upToDate'])\n"),
        "listed 0 True\n"
        "b'" + Installed().string()
            + "' True True False\n" + "b'" + itsTemp / "Applications/Patchwell \\xff\\t\"new\""
            + "' True True True\n");

    const std::string summary
        = "print(d['status'], d['exitStatus'], d['fromBuild'] != d['toBuild'], "
          "d['backup'] is not None and os.path.isdir(d['backup']), d['log'], d['message'])\n";
    const ProgramRun apply = Run("--apply " + ShellQuote(Installed()) + " --json");
    EXPECT_EQ(apply.status, 0) << Said();
    EXPECT_EQ(Read(apply.output, summary),
        "done 0 True True " + (Installed() / "Updater Log File.txt").string() + " None\n");
    EXPECT_NE(Said().find("The update is done."), std::string::npos) << Said();

    const ProgramRun again = Run("--apply " + ShellQuote(Installed()) + " --json");
    EXPECT_EQ(Read(again.output, summary),
        "up-to-date 0 False False None The copy in " + Installed().string()
            + " is already up to date; nothing was changed\n");

    const ProgramRun missing = Run("--apply " + ShellQuote(itsTemp / "Applications/None") + " --json");
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(Read(missing.output, "print(d['status'], d['exitStatus'], d['message'])\n"),
        "refused 3 the folder '" + itsTemp / "Applications/None" + "' does not exist\n");
    EXPECT_EQ(Run("--json").status, 2) << "--json goes with --list or --apply";
    ASSERT_EQ(Run("--apply " + ShellQuote(odd)).status, 0) << Said();

    const auto lines = History();
    ASSERT_EQ(lines.size(), 3u) << "a folder that does not exist has no line";
    for (const auto& fields : lines) {
        ASSERT_EQ(fields.size(), 7u);
        EXPECT_EQ(fields[0].size(), std::string("2026-12-07T05:30:12+01:00").size()) << fields[0];
        EXPECT_EQ(fields[1], PW_VERSION);
    }
    // From the old build to the new, then found holding the new.
    EXPECT_NE(lines[0][3], lines[0][4]);
    EXPECT_EQ(lines[1][3], lines[0][4]);
    EXPECT_EQ(lines[1][4], lines[0][4]);
    const std::string log = (Installed() / "Updater Log File.txt").string();
    EXPECT_EQ(lines[0][2] + " " + lines[0][5] + " " + lines[0][6], Installed().string() + " done " + log);
    EXPECT_EQ(lines[1][2] + " " + lines[1][5] + " " + lines[1][6], Installed().string() + " up-to-date -");
    EXPECT_EQ(lines[2][2], itsTemp / "Applications/Patchwell \xff\\t\"new\"");

    // A history that cannot be written is told once, and the update goes on.
    const std::string blocked = itsTemp.Write("blocked", "a file where the folder would be");
    const ProgramRun forced = Run("--apply " + ShellQuote(Installed()) + " --force", blocked);
    EXPECT_EQ(forced.status, 0) << Said();
    const std::string told = "the history of updates " + blocked + "/Patchwell/updates.log cannot be written";
    EXPECT_NE(Said().find(told), std::string::npos) << Said();
    EXPECT_EQ(Said().find(told), Said().rfind(told));
    EXPECT_NE(ReadWholeFile(log).find("The history of updates " + blocked), std::string::npos);
}
