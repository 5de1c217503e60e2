// What a person sees: every text of the wizard's pages and of the overwrite
// question fits its rectangle at the default font, every widget has a name a
// screen reader can say, and screenshots of each page land in the build folder.

#include "QtFixture.h"
#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "platform/OverwriteDialog.h"
#include "platform/Resources.h"
#include "support/TempFolder.h"
#include "ui/Gblwin.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>

#include <filesystem>

namespace {

class DialogLook : public QtTest {
protected:
    void SetUp() override
    {
        QtTest::SetUp();
        bGlobalClosed = false;
        itsTemp.Write("kit/Fix1.zip", "");
        itsTemp.Write("kit/readme.txt",
            "Patchwell 5.0.2\r\rThis update brings the new fabric library and mends the printing of large "
            "quilts.\rIt keeps your projects and settings as they are.\r");
        itsKit = CUpdateKit::InFolder((itsTemp / "kit").c_str());
        AddTextSubstitution("|PROGNAME|", Cstring(10000).GetText()); // as start-up does
        itsTemp.Write("Applications/Patchwell 5/Patchwell 5.app/Contents/Info.plist", "");
        CProgram* found = new CProgram;
        found->itsFolder = (itsTemp / "Applications/Patchwell 5").c_str();
        FoundPrograms.Append(found);
    }
    void TearDown() override
    {
        FoundPrograms.DeleteAll();
        bGlobalClosed = false;
        QtTest::TearDown();
    }

    // Each widget's wish for room against the rectangle the resource gives it.
    static void ExpectTextsFit(const CWindow& theWindow, const char* theWhere)
    {
        for (const auto& entry : theWindow.Entries()) {
            QWidget* widget = WidgetOf(*entry);
            if (!widget || !entry->bShown)
                continue;
            const CRect& bounds = entry->itsBounds;
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                if (label->pixmap().isNull()) {
                    EXPECT_LE(label->heightForWidth(bounds.Width()), bounds.Height())
                        << theWhere << ": text " << entry->itsItemId << " \"" << entry->itsText.GetText()
                        << "\" needs more height";
                }
            } else if (qobject_cast<QAbstractButton*>(widget)) {
                const QSize hint = widget->sizeHint();
                EXPECT_LE(hint.width(), bounds.Width()) << theWhere << ": button " << entry->itsItemId;
                EXPECT_LE(hint.height(), bounds.Height()) << theWhere << ": button " << entry->itsItemId;
            }
        }
    }

    static void ExpectNamed(const CWindow& theWindow, const char* theWhere)
    {
        for (const auto& entry : theWindow.Entries()) {
            QWidget* widget = WidgetOf(*entry);
            if (widget && entry->bShown && entry->itsText.IsNotEmpty() && entry->itsText != Cstring(" ")) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << theWhere << ": item " << entry->itsItemId;
            }
        }
    }

    static std::string Screenshot(const CWindow& theWindow, const std::string& theName)
    {
        QDir().mkpath(PW_SCREENSHOT_DIR);
        const std::string path = std::string(PW_SCREENSHOT_DIR) + "/" + theName + ".png";
        EXPECT_TRUE(WidgetOf(theWindow)->grab().save(QString::fromStdString(path)));
        return path;
    }

    TempFolder itsTemp;
    CUpdateKit itsKit;
};

TEST_F(DialogLook, WizardPagesFitTheirTextsAndAreNamed)
{
    CGlobalWin window(itsKit);
    ASSERT_EQ(window.DoModal(), 1);
    const std::string folder = itsTemp / "Applications/Patchwell 5";

    window.DoCommand(kItemNext, 0, 0);
    window.SelectFolderRow(0);
    window.DoCommand(kItemNext, 0, 0);
    ASSERT_EQ(window.GetCurrentPage(), kPageConfirm);

    const std::pair<int, const char*> pages[]
        = { { kPageWelcome, "page152-welcome" }, { kPageFolder, "page153-folder" },
              { kPageConfirm, "page154-confirm" }, { kPageProgress, "page155-progress" },
              { kPageDone, "page156-done" }, { kPageFailed, "page157-failed" } };
    for (const auto& [page, name] : pages) {
        window.SelectTabPage(page);
        if (page == kPageProgress) {
            window.EnableItem(kItemNext, false); // as the run does
            window.EnableItem(kItemBack, false);
            window.SetItemText(kItemTargetFolder, folder.c_str());
            window.SetItemValue(kItemProgressBar, 42);
            window.SetItemText(kItemPercent, "42%");
            window.SetItemText(kItemCounter, "File 12 of 30");
            window.SetItemText(kItemEntryName, "Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab");
        }
        if (page == kPageFailed) {
            window.SetItemText(
                kItemMessage, "ExtractOneFile file open failed - 28 - No space left on device");
            window.SetItemText(kItemWhereThingsAre,
                ("The log of this update is in \"" + folder + "/Updater Log File.txt\".").c_str());
        }
        ExpectTextsFit(window, name);
        ExpectNamed(window, name);
        Screenshot(window, name);
    }
}

TEST_F(DialogLook, OverwriteQuestionFitsAndIsNamed)
{
    for (uint32_t count : { 3u, 1u }) {
        COverwriteDialog dialog(
            "/Applications/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", count);
        Soon([&] {
            const std::string name = count == 1 ? "dialog109-one-entry" : "dialog109";
            ExpectTextsFit(dialog, name.c_str());
            ExpectNamed(dialog, name.c_str());
            Screenshot(dialog, name);
            dialog.EndDialog(7);
        });
        EXPECT_EQ(dialog.DoModal(), 7);
    }
}

} // namespace
