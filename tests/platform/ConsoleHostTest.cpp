// The host of runs without a window, and the plain start without a display.

#include "platform/ConsoleHost.h"
#include "identification/DataKey.h"
#include "platform/MessageBox.h"
#include "platform/mdialog.h"
#include "support/RanProgram.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(ConsoleHost, QuestionsGetTheCautiousAnswer)
{
    CConsoleHost host;
    testing::internal::CaptureStderr();
    const CAlert question = MakeAlert("Patchwell Updater", "Are you sure?", kMessageBoxYesNo);
    EXPECT_EQ(AlertResult(question.itsFlags, host.ShowAlert(question)), kResultNo);
    const CAlert note = MakeAlert("Patchwell Updater", "Noted.", 0);
    EXPECT_EQ(AlertResult(note.itsFlags, host.ShowAlert(note)), kResultOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Are you sure?\nNoted.\n")
        << "the text alone, no caption";

    EXPECT_EQ(host.AskOverwrite("/x", 3), kResultNo) << "an existing file is kept";
    Cstring folder("/start");
    EXPECT_EQ(host.ChooseFolder("Choose", folder), 0);
    EXPECT_STREQ(folder.GetText(), "/start");
    SetHost(&host);
    EXPECT_EQ(CDialog(109).DoModal(), 2) << "a dialog ends as cancelled";
    SetHost(nullptr);
}

// Started for the window where none can open, the updater says what else it
// can do rather than aborting inside the toolkit; its diagnostics show where
// things lie but never the key.
TEST(ConsoleHost, WithoutAUsableDisplayTheUpdaterSaysWhatCanBeDone)
{
    TempFolder temp;
    temp.Write("kit/Fix1.zip", "");
    temp.Write("Applications/.keep", "");
    auto start = [&](const std::string& theEnvironment) {
        return RunProgram("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + theEnvironment + " "
            + ProgramFromEnvironment("PW_UPDATER") + " --bundle " + ShellQuote(temp / "kit")
            + " --applications " + ShellQuote(temp / "Applications") + " --diagnostics -");
    };
    ProgramRun run = start("-u DISPLAY");
    for (const char* said :
        { "no display", "--apply FOLDER to update\nthe copy in FOLDER, --applications DIR",
            "No copies of Patchwell were found in", "gValidProgramNames[3] = PatchwellPPC",
            "Dumping FoundPrograms", "Install name: Fix1", "Key text: 26 characters" })
        EXPECT_TRUE(Ran(run, 1, said));
    EXPECT_EQ(run.output.find("one of the copies found"), std::string::npos) << "no copy was found to name";
    Cstring key;
    BuildDataKeyText(key);
    EXPECT_EQ(run.output.find(key.GetText()), std::string::npos);
    // The installed updater has no kit beside it: the kit is what to name.
    run = RunProgram("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u DISPLAY "
        + ProgramFromEnvironment("PW_UPDATER") + " --applications " + ShellQuote(temp / "Applications"));
    EXPECT_TRUE(Ran(run, 1, "patchwell-updater KIT --apply FOLDER"));
    EXPECT_EQ(run.output.find("Unable to open program data"), std::string::npos) << run.output;

    int number = 150;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string display = ":" + std::to_string(number);
    run = start("DISPLAY=" + display);
    EXPECT_TRUE(Ran(run, 1, "cannot open the display '" + display + "'"));
    EXPECT_TRUE(Ran(run, 1, "--apply"));
}

} // namespace
