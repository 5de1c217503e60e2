#pragma once

// The wizard as a person meets it: the real window offscreen, on an update
// kit made by patchwell-pack and installed copies of the older build.

#include "QtFixture.h"
#include "app/UpdaterMain.h"
#include "engine/Progress.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "platform/Shell.h"
#include "qt/QtPictures.h"
#include "support/DemoBuild.h"
#include "support/MountedFolder.h"
#include "support/RunProgram.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

class WizardWindow : public QtTest {
protected:
    void SetUp() override
    {
        QtTest::SetUp();
        ASSERT_TRUE(MakeDemoBuild(itsTemp / "builds/5.0.1/Patchwell 5", "5.0.1", "2025-03-01 10:00:00"));
        ASSERT_TRUE(MakeDemoBuild(itsTemp / "builds/5.0.2/Patchwell 5", "5.0.2", "2026-11-20 09:30:00"));
        itsApplications = std::make_unique<CMountedFolder>(itsTemp / "Applications", "size=256m");
        std::filesystem::create_directories(itsTemp.Path() / "Applications");
        itsTemp.Write(
            "readme.txt", "Spring Update for Patchwell 5\r\n\r\nBrings Patchwell 5 to version 5.0.2.\r\n");
    }

    void TearDown() override
    {
        CloseWizard();
        QtTest::TearDown();
    }

    // Ends the window and what start-up made, so that a case may open it again.
    void CloseWizard()
    {
        itsAnswerTimer.reset();
        UpdaterCleanup();
        FoundPrograms.DeleteAll();
        ValidPrograms.DeleteAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A large entry gives the run time to be interrupted in its middle.
    void AddLargeEntry()
    {
        itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Large.fab",
            RandomBytes(24 << 20, 5));
    }

    void Install(const std::string& theName)
    {
        std::filesystem::copy(itsTemp.Path() / "builds/5.0.1/Patchwell 5",
            itsTemp.Path() / "Applications" / theName, std::filesystem::copy_options::recursive);
    }
    std::string Installed(const std::string& theName = "Patchwell 5") const
    {
        return itsTemp / ("Applications/" + theName);
    }

    // Makes the kit, once; its folder.
    std::string MakeKit()
    {
        const std::string kit = itsTemp / "kit";
        if (!std::filesystem::exists(kit)) {
            const ProgramRun pack
                = RunProgram(ProgramFromEnvironment("PW_PACK") + " kit " + ShellQuote(kit) + " --data "
                    + ShellQuote(itsTemp / "builds/5.0.1") + " " + ShellQuote(itsTemp / "builds/5.0.2")
                    + " --new " + ShellQuote(itsTemp / "builds/5.0.2/Patchwell 5") + " --readme "
                    + ShellQuote(itsTemp / "readme.txt") + " --name 'Spring Update'");
            EXPECT_EQ(pack.status, 0) << pack.output;
        }
        return kit;
    }

    // Makes the kit (once), starts up on it as the program does and opens the window.
    CGlobalWin& Open(bool bWithArchive = true)
    {
        const std::string kit = MakeKit();
        if (!bWithArchive)
            std::filesystem::remove(kit + "/Spring Update.zip");
        StartupOptions options;
        options.itsBundlePath = kit.c_str();
        options.itsApplicationsFolder = (itsTemp / "Applications").c_str();
        UpdaterStartup(0, options);
        EXPECT_EQ(gGlobalWin->DoModal(), 1);
        QCoreApplication::processEvents();
        return *gGlobalWin;
    }

    static QWidget* Item(int theItemId) { return WidgetOf(*gGlobalWin->FindEntry(theItemId)); }
    static QPushButton* Button(int theItemId) { return qobject_cast<QPushButton*>(Item(theItemId)); }
    static std::string Text(int theItemId) { return gGlobalWin->FindEntry(theItemId)->itsText.GetText(); }
    static QWidget* Window() { return WidgetOf(*gGlobalWin); }
    static void Click(int theItemId) { QTest::mouseClick(Button(theItemId), Qt::LeftButton); }

    static void ClickRow(int theRow)
    {
        auto* tree = Window()->findChild<QTreeWidget*>();
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(tree->isVisible());
        const QRect row = tree->visualItemRect(tree->topLevelItem(theRow));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    }

    static void Shoot(const CWindow& theWindow, const std::string& theName)
    {
        SavePicture(theWindow, PW_SCREENSHOT_DIR "/wizard-" + theName + ".png");
    }

    // Answers each question that comes up with the button titled theButton,
    // and keeps its text.
    void AnswerQuestionsWith(const char* theButton)
    {
        itsAnswerTimer = std::make_unique<CRepeatedCheck>(5, [this, theButton] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            itsQuestions.push_back(box->text().toStdString());
            for (QAbstractButton* button : box->buttons())
                if (button->text() == theButton) {
                    button->click();
                    return;
                }
            ADD_FAILURE() << "no button " << theButton;
            box->done(0);
        });
    }

    CScopedGlobal<bool> itsClosed { bGlobalClosed, false };
    CScopedGlobal<int32_t> itsAbort { gAbortUpdate, 0 };
    TempFolder itsTemp;
    std::unique_ptr<CMountedFolder> itsApplications;
    std::unique_ptr<CRepeatedCheck> itsAnswerTimer;
    std::vector<std::string> itsQuestions;
};
