// The wizard driven by clicks and keys; a screenshot of each page and of the
// splash lands in the build folder.

#include "WizardFixture.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;

TEST_F(WizardWindow, ClicksLeadFromTheReadmeToAnUpdatedCopy)
{
    Install("Patchwell 5");
    Install("Patchwell 5 Studio");
    CGlobalWin& window = Open();
    const TreeSnapshot newBuild = SnapshotTree(itsTemp / "builds/5.0.2/Patchwell 5/Patchwell 5.app");
    EXPECT_EQ(Window()->windowTitle().toStdString(), Cstring(10000).GetText());

    CSplashWin* splash = window.GetSplash();
    ASSERT_NE(splash, nullptr);
    ASSERT_TRUE(WidgetOf(*splash)->isVisible());
    Shoot(*splash, "splash");
    // The test is the clock: three ticks end the countdown.
    for (int tick = 0; tick < 3; ++tick)
        splash->OnTimer(CSplashWin::kTimerId);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.GetSplash(), nullptr) << "closed after its countdown";

    EXPECT_EQ(window.GetCurrentPage(), kPageWelcome);
    EXPECT_THAT(Text(kItemReadme), HasSubstr("Brings Patchwell 5 to version 5.0.2."));
    EXPECT_FALSE(Button(kItemBack)->isEnabled());
    Shoot(*gGlobalWin, "152-welcome");
    Click(kItemNext);

    ASSERT_EQ(window.GetCurrentPage(), kPageFolder);
    EXPECT_FALSE(Button(kItemNext)->isEnabled()) << "no copy chosen yet";
    ClickRow(0);
    EXPECT_TRUE(Button(kItemNext)->isEnabled());
    Click(kItemNext);
    ASSERT_EQ(window.GetCurrentPage(), kPageConfirm);
    EXPECT_THAT(Text(kItemConfirmation), HasSubstr(Installed("Patchwell 5")));
    Click(kItemBack);
    ClickRow(1);
    Shoot(*gGlobalWin, "153-folder");
    Click(kItemNext);
    EXPECT_THAT(Text(kItemConfirmation), HasSubstr(Installed("Patchwell 5 Studio")))
        << "the folder selected last";
    Click(kItemBack);
    ClickRow(0);
    Click(kItemNext);
    EXPECT_THAT(Text(kItemConfirmation), HasSubstr(Installed("Patchwell 5") + "\n"));
    Shoot(*gGlobalWin, "154-confirm");

    // While the run blocks the loop, the page still repaints: shoot it live.
    bool bShot = false;
    QTimer live;
    QObject::connect(&live, &QTimer::timeout, [&] {
        if (!bShot && gGlobalWin->GetCurrentPage() == kPageProgress
            && std::atoi(Text(kItemPercent).c_str()) >= 40) {
            EXPECT_TRUE(
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
            Shoot(*gGlobalWin, "155-progress");
            bShot = true;
        }
    });
    live.start(0);
    Click(kItemNext);
    live.stop();
    EXPECT_TRUE(bShot);
    ASSERT_EQ(window.GetCurrentPage(), kPageDone) << Text(kItemMessage);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the arrow again";
    EXPECT_EQ(qobject_cast<QProgressBar*>(Item(kItemProgressBar))->value(), 100);
    EXPECT_EQ(SnapshotTree(Installed() + "/Patchwell 5.app"), newBuild);
    EXPECT_THAT(Text(kItemWhereThingsAre), HasSubstr(Installed() + "/Updater Log File.txt"));
    EXPECT_EQ(Button(kItemCancel)->text(), "Close");
    Shoot(*gGlobalWin, "156-done");

    Click(kItemCancel);
    EXPECT_TRUE(bGlobalClosed) << "no question once the update is done";
    EXPECT_TRUE(itsQuestions.empty());
}

TEST_F(WizardWindow, WithoutAKitTheWindowAsksForOne)
{
    Install("Patchwell 5");
    CGlobalWin& window = Open(false);
    ASSERT_EQ(window.GetCurrentPage(), kPageKit);
    QPushButton* open = Button(kItemOpenKit);
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(open->isVisible() && open->isEnabled());
    EXPECT_EQ(open->focusPolicy() & Qt::TabFocus, Qt::TabFocus) << "reached from the keyboard";
    EXPECT_EQ(open->accessibleName().toStdString(), "Open an update kit");
    EXPECT_TRUE(open->isDefault()) << "Return opens the chooser";
    EXPECT_FALSE(qobject_cast<QLabel*>(Item(kItemMessage))->isVisible());
    Shoot(*gGlobalWin, "158-open-kit");
    Window()->close();
    EXPECT_TRUE(bGlobalClosed) << "nothing has begun: the close box ends the updater without a question";
}

// Each way of asking to stop, in the middle of a large entry.
TEST_F(WizardWindow, ACancelDuringTheRunAsksAndYesLeavesTheCopyAsItWas)
{
    AddLargeEntry();
    struct Case {
        const char* itsWay;
        const char* itsAnswer;
        std::function<void()> itsRequest;
    };
    const std::vector<Case> cases = {
        { "Escape, Yes", "Yes", [] { QTest::keyClick(Window(), Qt::Key_Escape); } },
        { "Cancel button, No", "No", [] { Click(kItemCancel); } },
        { "close box, Yes", "Yes", [] { Window()->close(); } },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsWay);
        std::filesystem::remove_all(Installed());
        Install("Patchwell 5");
        const TreeSnapshot before = SnapshotTree(Installed());
        CGlobalWin& window = Open();
        // Where a person would click: on the picture, which passes it on.
        QWidget* splash = WidgetOf(*window.GetSplash());
        QTest::mouseClick(splash->childAt(splash->width() / 2, 60), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.GetSplash(), nullptr) << "a click closes the splash at once";
        Click(kItemNext);
        ClickRow(0);
        Click(kItemNext);

        itsQuestions.clear();
        AnswerQuestionsWith(test.itsAnswer);
        bool bAsked = false;
        QTimer request;
        QObject::connect(&request, &QTimer::timeout, [&] {
            // The large entry is nearly all of the bytes: before 80% the run is
            // still unpacking. The bar moves as often as the entries' workers
            // are looked at, so its middle may pass between two looks.
            const int percent = std::atoi(Text(kItemPercent).c_str());
            if (!bAsked && gGlobalWin->GetCurrentPage() == kPageProgress && percent < 80) {
                bAsked = true;
                test.itsRequest();
            }
        });
        request.start(0);
        Click(kItemNext);
        request.stop();
        ASSERT_TRUE(bAsked) << "the run never showed its progress before the end of the large entry";
        EXPECT_EQ(itsQuestions, std::vector<std::string> { "Are you sure you want to abort the update?" });
        EXPECT_FALSE(bGlobalClosed);
        if (std::string(test.itsAnswer) == "Yes") {
            ASSERT_EQ(window.GetCurrentPage(), kPageFailed);
            EXPECT_EQ(Text(kItemMessage), "Extract Aborted");
            EXPECT_EQ(SnapshotTree(Installed(), "Updater Log File.txt"), before)
                << "an aborted update leaves the copy as it was";
            if (test.itsWay == cases[0].itsWay)
                Shoot(*gGlobalWin, "157-aborted");
        } else {
            EXPECT_EQ(window.GetCurrentPage(), kPageDone) << Text(kItemMessage);
        }
        gAbortUpdate = 0;
        CloseWizard();
    }
}
