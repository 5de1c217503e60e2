// What the tools that update many machines read of patchwell-updater: one
// JSON object on standard output for --list and --apply, read here by
// Python's json module as such a tool would, and the history of updates
// that every run appends one line to.

#include "KitFixture.h"

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class FleetRun : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        const ProgramRun pack = Pack(BothBuilds());
        ASSERT_EQ(pack.status, 0) << pack.output;
    }

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

// A folder's name is any bytes: Python's surrogateescape gives them back.
TEST_F(FleetRun, ListAndApplyTellOneJsonObjectEach)
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
}

TEST_F(FleetRun, EachRunAppendsOneLineToTheHistory)
{
    const fs::path tabbed = CopyOfBuild("5.0.1", "Patchwell\t5");
    ASSERT_EQ(Run("--apply " + ShellQuote(Installed())).status, 0) << Said();
    ASSERT_EQ(Run("--apply " + ShellQuote(Installed())).status, 0) << Said();
    ASSERT_EQ(Run("--apply " + ShellQuote(tabbed)).status, 0) << Said();
    const auto lines = History();
    ASSERT_EQ(lines.size(), 3u);
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
    EXPECT_EQ(lines[2][2], itsTemp / "Applications/Patchwell\\t5");

    // A history that cannot be written is told once, and the update goes on.
    const std::string blocked = itsTemp.Write("blocked", "a file where the folder would be");
    const ProgramRun forced = Run("--apply " + ShellQuote(Installed()) + " --force", blocked);
    EXPECT_EQ(forced.status, 0) << Said();
    const std::string told = "the history of updates " + blocked + "/Patchwell/updates.log cannot be written";
    EXPECT_NE(Said().find(told), std::string::npos) << Said();
    EXPECT_EQ(Said().find(told), Said().rfind(told));
    EXPECT_NE(ReadWholeFile(log).find("The history of updates " + blocked), std::string::npos);
}
