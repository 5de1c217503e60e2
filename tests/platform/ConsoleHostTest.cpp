// The host of runs without a window, and the plain start without a display.

#include "platform/ConsoleHost.h"
#include "platform/MessageBox.h"
#include "platform/mdialog.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"

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
}

TEST(ConsoleHost, ModalDialogEndsAsCancelled)
{
    CConsoleHost host;
    CScopedHost current(host);
    CDialog dialog(109);
    EXPECT_EQ(dialog.DoModal(), 2);
}

// Started for the window where none can open, the updater says what else it
// can do rather than aborting inside the toolkit.
TEST(ConsoleHost, WithoutAUsableDisplayTheUpdaterSaysWhatCanBeDone)
{
    TempFolder temp;
    temp.Write("kit/Fix1.zip", "");
    temp.Write("Applications/.keep", "");
    auto start = [&](const std::string& theEnvironment) {
        return RunProgram("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + theEnvironment + " "
            + ProgramFromEnvironment("PW_UPDATER") + " --bundle " + ShellQuote(temp / "kit")
            + " --applications " + ShellQuote(temp / "Applications"));
    };
    ProgramRun run = start("-u DISPLAY");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no display"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("--list"), std::string::npos);
    EXPECT_NE(run.output.find("--apply"), std::string::npos);

    int number = 150;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string display = ":" + std::to_string(number);
    run = start("DISPLAY=" + display);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("cannot open the display '" + display + "'"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("--apply"), std::string::npos);
}

} // namespace
