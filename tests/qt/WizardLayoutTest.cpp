// The wizard's pages in English and German, at each scale and screen: no text
// cut, no control over another, the window on the screen, every control named.

#include "WizardFixture.h"
#include "support/ScopedVariable.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QScreen>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// Where this run's pictures go: language, scale and screen in device pixels.
std::string PictureFolder(const char* theLanguage)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = screen->devicePixelRatio();
    const QSize size = screen->geometry().size() * scale;
    return std::string(PW_SCREENSHOT_DIR) + "/" + theLanguage + "-" + std::to_string(qRound(scale)) + "x-"
        + std::to_string(size.width()) + "x" + std::to_string(size.height());
}

QAccessibleInterface* Accessible(int theItemId)
{
    QWidget* widget = WidgetOf(*gGlobalWin->FindEntry(theItemId));
    if (theItemId == kItemFolderList)
        widget = widget->findChild<QTreeWidget*>();
    return QAccessible::queryAccessibleInterface(widget);
}

// Every control a person can reach on the page with no name, and every name
// that a node says again right after its parent said it.
void CollectUnnamed(
    QAccessibleInterface* pNode, std::vector<std::string>& theUnnamed, std::vector<std::string>& theSaidTwice)
{
    const QString parentName = pNode->text(QAccessible::Name);
    for (int i = 0; i < pNode->childCount(); ++i) {
        QAccessibleInterface* child = pNode->child(i);
        // An interface that lost its widget is one Qt kept for a widget gone
        // since (see below): it cannot be asked.
        if (!child || !child->object() || child->state().invisible)
            continue;
        const QAccessible::Role role = child->role();
        const bool bControl = role == QAccessible::PushButton || role == QAccessible::ProgressBar
            || role == QAccessible::Tree || role == QAccessible::List || role == QAccessible::EditableText;
        const QString name = child->text(QAccessible::Name);
        if (bControl && name.isEmpty())
            theUnnamed.push_back(std::to_string(role));
        if (!name.isEmpty() && name == parentName)
            theSaidTwice.push_back(name.toStdString());
        CollectUnnamed(child, theUnnamed, theSaidTwice);
    }
}

// The English names a screen reader says for the controls that need one.
void ExpectNamedByRole()
{
    struct Named {
        int itsItem;
        QAccessible::Role itsRole;
        const char* itsName;
    };
    const Named named[] = {
        { kItemReadme, QAccessible::EditableText, "About this update" },
        { kItemFolderList, QAccessible::Tree, "Copies of Patchwell" },
        { kItemProgressBar, QAccessible::ProgressBar, "Installation progress" },
        { kItemNext, QAccessible::PushButton, "Next >" },
    };
    for (const Named& item : named) {
        SCOPED_TRACE(item.itsName);
        QAccessibleInterface* node = Accessible(item.itsItem);
        ASSERT_NE(node, nullptr);
        if (!node->object())
            continue; // kept by Qt for a widget gone since (see below)
        EXPECT_EQ(node->role(), item.itsRole);
        EXPECT_EQ(node->text(QAccessible::Name).toStdString(), item.itsName);
    }
    auto* tree = WidgetOf(*gGlobalWin)->findChild<QTreeWidget*>();
    EXPECT_EQ(tree->headerItem()->text(0).toStdString(), "Copies of Patchwell") << "not a column numbered 1";
    EXPECT_NE(Accessible(kItemProgressBar)->valueInterface(), nullptr) << "the bar tells how far it is";
}

using WizardLayout = WizardWindow;

// Each page as it is seen and as a screen reader hears it.
TEST_F(WizardLayout, EveryPageShowsItsTextsWholeAndNamesItsControls)
{
    // The locale picks the language, from the file that the kit carries.
    for (const std::string language : { "en", "de" }) {
        SCOPED_TRACE(language);
        const CScopedVariable locale("LANGUAGE", language);
        Install("Patchwell 5");
        CGlobalWin& window = Open();
        window.DoCommand(kCommandSplashDone, 0, 0);
        // Qt 6.4 keeps the accessible interfaces of some widgets that are gone,
        // and hands them out for new widgets at the same addresses: the German
        // window, whose widgets take the English one's places, is not heard.
        QAccessibleInterface* root = nullptr;
        if (language == "en") {
            ExpectNamedByRole();
            root = QAccessible::queryAccessibleInterface(Window());
        }
        const std::string folder = PictureFolder(language.c_str());
        // A deep folder has no blank to wrap at before its last name.
        const std::string target = "/home/quilting_guild_of_the_northern_valley/programs_kept_for_the_spring_"
                                   "classes/older_versions_we_still_need/Patchwell 5";

        const std::pair<int, const char*> pages[] = { { kPageWelcome, "page152-welcome" },
            { kPageFolder, "page153-folder" }, { kPageConfirm, "page154-confirm" },
            { kPageProgress, "page155-progress" }, { kPageDone, "page156-done" },
            { kPageFailed, "page157-failed" }, { kPageKit, "page158-kit" } };
        for (const auto& [page, name] : pages) {
            if (page == kPageFolder || page == kPageConfirm)
                window.DoCommand(kItemNext, 0, 0);
            if (page == kPageFolder)
                window.SelectFolderRow(0);
            if (page >= kPageProgress)
                window.SelectTabPage(page);
            if (page == kPageProgress) {
                window.EnableItem(kItemNext, false); // as the run does
                window.EnableItem(kItemBack, false);
                window.SetItemText(kItemTargetFolder, target.c_str());
                window.SetItemValue(kItemProgressBar, 42);
                window.SetItemText(kItemPercent, "42%");
                window.SetItemText(kItemCounter, "File 12 of 30");
                window.SetItemText(kItemEntryName, "Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab");
            }
            if (page == kPageFailed) {
                window.SetItemText(
                    kItemMessage, "ExtractOneFile file open failed - 28 - No space left on device");
                window.SetItemText(kItemWhereThingsAre,
                    ("The log of this update is in \"" + target + "/Updater Log File.txt\".").c_str());
            }
            if (page == kPageKit && language == "de") {
                EXPECT_EQ(Button(kItemOpenKit)->text().toStdString(), "Update-Paket öffnen…");
            }
            ASSERT_EQ(window.GetCurrentPage(), page);
            ExpectReadable(*gGlobalWin, name);
            SavePicture(*gGlobalWin, folder + "/" + name + ".png");
            std::vector<std::string> unnamed, saidTwice;
            if (root)
                CollectUnnamed(root, unnamed, saidTwice);
            EXPECT_TRUE(unnamed.empty()) << name << ": unnamed controls of roles " << unnamed.front();
            EXPECT_TRUE(saidTwice.empty()) << name << ": \"" << saidTwice.front() << "\" is said twice";
        }
        if (language == "de") {
            // The kit's own updater finds the German file beside itself too.
            std::filesystem::remove(itsTemp / "kit/Spring Update.zip");
            const ProgramRun run = RunProgram("LANGUAGE=de " + ShellQuote(itsTemp / "kit/patchwell-updater")
                + " --apply " + ShellQuote(Installed()));
            EXPECT_EQ(run.status, 3) << run.output;
            EXPECT_NE(run.output.find(
                          "in „" + itsTemp / "kit" + "“ wurde kein Update-Archiv (.zip-Datei) gefunden."),
                std::string::npos)
                << run.output;
        }
        CloseWizard();
        std::filesystem::remove_all(Installed());
    }
}

// The same pages at twice the scale: on a screen with room to spare, and on
// one of 800 by 600 pixels, where the window is larger than the screen unless
// it gives way.
TEST_F(WizardLayout, AtTwiceTheScaleOnALargeAndASmallScreen)
{
    if (std::getenv("PW_LAYOUT_AGAIN"))
        GTEST_SKIP() << "started by this test";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    for (const QSize screen : { QSize(1920, 1080), QSize(800, 600) }) {
        const std::string config = itsTemp / ("screen-" + std::to_string(screen.width()) + ".json");
        std::ofstream(config) << "{ \"screens\": [ { \"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": "
                              << screen.width() << ", \"height\": " << screen.height()
                              << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }\n";
        const ProgramRun run
            = RunProgram("PW_LAYOUT_AGAIN=1 QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=offscreen:configfile="
                + ShellQuote(config) + " timeout -s KILL 300 " + ShellQuote(self)
                + " --gtest_filter=WizardLayout.EveryPageShowsItsTextsWholeAndNamesItsControls 2>&1");
        EXPECT_EQ(run.status, 0) << screen.width() << "x" << screen.height() << ":\n" << run.output;
    }
}

} // namespace
