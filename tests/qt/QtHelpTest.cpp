// Help on the Qt host: what reaches the desktop's browser. QDesktopServices
// is redirected to a text browser, so nothing leaves the test.

#include "QtFixture.h"
#include "foundation/ProfileSettings.h"
#include "qt/QtWindow.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "ui/mhelpfunc.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QUrl>

#include <filesystem>
#include <memory>

namespace {

class QtHelp : public QtTest {
protected:
    void SetUp() override
    {
        QtTest::SetUp();
        itsSavedFolder = std::filesystem::current_path();
        BaseProgramPath = (itsTemp / "Patchwell #5").c_str();
        itsTemp.Write("Patchwell #5/Help/astart.htm", "<h1>Contents</h1>");
        itsTemp.Write("Patchwell #5/Help/update.htm", "<h1 id=\"add\">Adding a folder</h1>");
        // setSource is a slot that takes the URL the desktop would have opened.
        itsBrowser = std::make_unique<QTextBrowser>();
        QDesktopServices::setUrlHandler("file", itsBrowser.get(), "setSource");
        QDesktopServices::setUrlHandler("https", itsBrowser.get(), "setSource");
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        itsBrowser.reset();
        std::filesystem::current_path(itsSavedFolder);
        QtTest::TearDown();
    }

    TempFolder itsTemp;
    std::unique_ptr<QTextBrowser> itsBrowser; // made once the application is there
    std::filesystem::path itsSavedFolder;
    CScopedGlobal<Cstring> itsBase { BaseProgramPath };
};

TEST_F(QtHelp, PagesReachTheBrowserAsFileUrlsAndTheHelpKeysTheWindows)
{
    ShowHelpIndex();
    EXPECT_EQ(itsBrowser->source().toLocalFile().toStdString(), itsTemp / "Patchwell #5/Help/astart.htm");
    EXPECT_NE(itsBrowser->toPlainText().indexOf("Contents"), -1) << "the page itself was opened";

    ShowHelpTopic("update", "add");
    EXPECT_EQ(itsBrowser->source().toLocalFile().toStdString(), itsTemp / "Patchwell #5/Help/update.htm");
    EXPECT_EQ(itsBrowser->source().fragment().toStdString(), "add");

    OpenURL("https://example.org/patchwell/help");
    EXPECT_EQ(itsBrowser->source(), QUrl("https://example.org/patchwell/help"));

    // The main window asks for help on either key; the keyboard rules pass both on.
    EXPECT_EQ(TranslateKey(QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier)).itsKeyCode, kKeyF1);
    EXPECT_EQ(TranslateKey(QKeyEvent(QEvent::KeyPress, Qt::Key_Help, Qt::NoModifier)).itsKeyCode, kKeyHelp);
}

} // namespace
