// The Qt host offscreen: widgets per kind, the modal loop, alerts, keys.

#include "QtFixture.h"
#include "platform/Framework.h"
#include "platform/ListView.h"
#include "platform/MenuBar.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/mMemWin.h"
#include "platform/mbitmap.h"
#include "platform/mdialog.h"
#include "qt/QtWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <csignal>

#include <string>
#include <tuple>
#include <vector>

namespace {

// A window of one entry per kind, each in its own rectangle.
class CEveryKindWindow : public CWindow {
public:
    static constexpr int kKinds[] = { 3, 4, 6, 7, 8, 10, 11, 12, 13, 14, 16, 19, 20, 21, 22, 23, 24, 25, 28 };

    CEveryKindWindow()
    {
        itsFrame = { 50, 50, 650, 450 };
        itsStyle &= ~uint32_t(kStyleShown);
        int top = 4;
        for (int kind : kKinds) {
            ControlEntry entry;
            entry.itsKind = kind;
            entry.itsItemId = 200 + kind;
            entry.itsText = kind == kKindPicture ? "233" : "Text";
            entry.itsBounds = { top, 10, top + 24, 10 + 100 + kind };
            AddEntry(entry);
            top += 30;
        }
        Create(nullptr);
    }
    void DoCommand(int theId, int theCode, long) override
    {
        itsLog.push_back(std::to_string(theId) + "/" + std::to_string(theCode));
    }
    std::vector<std::string> itsLog;
};

TEST_F(QtTest, EveryKindMakesItsWidgetAtItsRectangleWhoseClicksComeBack)
{
    CEveryKindWindow window;
    const std::pair<int, const char*> classes[] = { { 3, "QPushButton" }, { 4, "QCheckBox" },
        { 6, "QLineEdit" }, { 7, "QGroupBox" }, { 8, "QScrollBar" }, { 10, "QScrollBar" },
        { 11, "QComboBox" }, { 12, "QLabel" }, { 13, "QTabBar" }, { 14, "QRadioButton" }, { 16, "QLabel" },
        { 19, "QScrollBar" }, { 20, "QComboBox" }, { 21, "QPlainTextEdit" }, { 22, "QLabel" },
        { 23, "QWidget" }, { 24, "QTreeWidget" }, { 25, "QPlainTextEdit" }, { 28, "QProgressBar" } };
    for (const auto& [kind, className] : classes) {
        const ControlEntry* entry = window.FindEntry(200 + kind);
        ASSERT_NE(entry, nullptr);
        QWidget* widget = WidgetOf(*entry);
        ASSERT_NE(widget, nullptr) << "kind " << kind;
        EXPECT_STREQ(widget->metaObject()->className(), className) << "kind " << kind;
        EXPECT_EQ(widget->window(), WidgetOf(window));
        const CRect& bounds = entry->itsBounds;
        EXPECT_EQ(widget->geometry(), QRect(bounds.left, bounds.top, bounds.Width(), bounds.Height()))
            << kind;
    }
    EXPECT_TRUE(WidgetAs<QLineEdit>(window.FindEntry(206))->text() == "Text");
    EXPECT_TRUE(WidgetAs<QPlainTextEdit>(window.FindEntry(221))->isReadOnly());
    EXPECT_FALSE(WidgetAs<QPlainTextEdit>(window.FindEntry(225))->isReadOnly());
    EXPECT_FALSE(WidgetAs<QLabel>(window.FindEntry(222))->pixmap().isNull()) << "picture 233 is drawn";
    EXPECT_FALSE(CBitmap().LoadResource(4242)) << "a missing picture loads nothing";
    EXPECT_EQ(WidgetAs<QScrollBar>(window.FindEntry(208))->orientation(), Qt::Horizontal);
    EXPECT_TRUE(WidgetAs<QComboBox>(window.FindEntry(220))->isEditable());

    WidgetAs<QPushButton>(window.FindEntry(203))->click();
    WidgetAs<QCheckBox>(window.FindEntry(204))->click();
    EXPECT_EQ(window.FindEntry(204)->itsValue, 1);
    WidgetAs<QRadioButton>(window.FindEntry(214))->click();
    EXPECT_FALSE(WidgetAs<QRadioButton>(window.FindEntry(214))->isChecked())
        << "the window sets a radio's value";
    EXPECT_EQ(window.itsLog, (std::vector<std::string> { "203/0", "204/0", "214/0" }))
        << "clicks come back as commands";
}

TEST_F(QtTest, MessageBoxReturnsTheCodeOfTheButtonPressed)
{
    const std::tuple<const char*, int, int> answers[]
        = { { "Yes", kMessageBoxYesNo, kResultYes }, { "No", kMessageBoxYesNo, kResultNo },
              { "Cancel", kMessageBoxYesNoCancel, kResultCancel }, { "OK", 0, kResultOk } };
    for (const auto& [button, flags, result] : answers) {
        Soon([text = QString(button)] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* pressed : box->buttons())
                if (pressed->text() == text)
                    pressed->click();
        });
        EXPECT_EQ(MessageBox("Go on?", flags), result) << button;
    }
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Warning) << "flags 0 is a caution alert";
        EXPECT_EQ(box->windowTitle(), "Patchwell Updater");
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(MessageBox("Escape presses the only button.", 0), kResultOk);
}

// Records what the keyboard rules call.
class CKeyDialog : public CDialog {
public:
    CKeyDialog()
        : CDialog(109)
    {
        Build();
        ControlEntry edit;
        edit.itsKind = kKindEditText;
        edit.itsItemId = 60;
        edit.itsBounds = { 190, 20, 212, 200 };
        AddEntry(edit);
        SetDefaultItem(1);
        SetCancelItem(2);
    }
    void DoCommand(int theId, int theCode, long) override
    {
        itsLog.push_back("command " + std::to_string(theId) + "/" + std::to_string(theCode));
    }
    bool QueryQuit() override
    {
        itsLog.push_back("query");
        return true;
    }
    void Close() override
    {
        itsLog.push_back("close");
        CDialog::Close();
    }
    std::vector<std::string> itsLog;
};

TEST_F(QtTest, KeysReachTheOperationsTheRulesName)
{
    CKeyDialog dialog;
    dialog.Show(true);
    QWidget* window = WidgetOf(dialog);
    window->activateWindow();
    QApplication::setActiveWindow(window);

    // During a run only the cancel request gets through.
    QWidget* next = WidgetOf(*dialog.FindEntry(1));
    EXPECT_FALSE(QtHost().PollUserCancel());
    QCoreApplication::postEvent(next, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r"));
    EXPECT_FALSE(QtHost().PollUserCancel());
    QCoreApplication::postEvent(next, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(QtHost().PollUserCancel());
    EXPECT_FALSE(QtHost().PollUserCancel()) << "the request is taken";
    QCoreApplication::postEvent(
        next, new QKeyEvent(QEvent::KeyPress, Qt::Key_Period, Qt::ControlModifier, "."));
    EXPECT_TRUE(QtHost().PollUserCancel());
    QCoreApplication::postEvent(window, new QCloseEvent);
    EXPECT_TRUE(QtHost().PollUserCancel()) << "the close button asks to cancel";
    EXPECT_TRUE(dialog.itsLog.empty()) << "nothing reaches DoCommand during the run";
    EXPECT_TRUE(window->isVisible());

    // Outside a run the keyboard rules act. As the platform does, each key goes
    // to the widget that has the focus.
    auto key = [window](Qt::Key theKey, Qt::KeyboardModifiers theModifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, theKey, theModifiers);
    };
    key(Qt::Key_Tab);
    EXPECT_EQ(dialog.GetFocus(), dialog.FindEntry(60));
    auto* edit = WidgetAs<QLineEdit>(dialog.FindEntry(60));
    EXPECT_TRUE(edit->hasFocus());
    key(Qt::Key_A);
    key(Qt::Key_B);
    EXPECT_EQ(edit->text(), "ab") << "the focused text takes typed keys";
    key(Qt::Key_Return);
    key(Qt::Key_Escape);
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(dialog.itsLog,
        (std::vector<std::string> { "command 60/12", "command 60/12", "command 1/0", "command 60/12",
            "command 2/0", "command 60/12", "query", "close" }));
}

// A main window that ends the loop when it closes, as the updater's does.
class CMainWindow : public CWindow {
public:
    CMainWindow()
    {
        itsFrame = { 40, 40, 240, 340 };
        Create(nullptr);
        Show(true);
        Shell().itsMainWindow = this;
    }
    ~CMainWindow() override { Shell().itsMainWindow = nullptr; }
    void Close() override
    {
        ++itsCloses;
        CWindow::Close();
        QuitApplicationEventLoop();
    }
    int itsCloses = 0;
};

TEST_F(QtTest, QuitMessageEndsTheLoopAndAStopSignalRunsTheQuitSequence)
{
    CMainWindow window;
    Soon([&] { PostWindowMessage(&window, kMsgQuit, 0, 0); });
    RunApplicationEventLoop(); // returns only when the quit is acted on
    EXPECT_FALSE(Shell().bQuitPending);
    EXPECT_EQ(window.itsCloses, 0) << "the quit message ends the loop without the quit sequence";

    Soon([] { std::raise(SIGTERM); });
    RunApplicationEventLoop();
    EXPECT_EQ(window.itsCloses, 1);
    EXPECT_TRUE(QtHost().HasStopRequest());
}

class CFolderPageDialog : public CDialog {
public:
    CFolderPageDialog()
        : CDialog(150)
    {
        Build();
        AddTabPage(153);
        SelectTabPage(153);
        Show(true);
    }
    void DoCommand(int theId, int theCode, long) override
    {
        itsCommands.push_back(std::to_string(theId) + "/" + std::to_string(theCode));
    }
    std::vector<std::string> itsCommands;
};

TEST_F(QtTest, ClickOnAListRowSelectsAndNotifies)
{
    CFolderPageDialog dialog;
    CListView list(dialog, 137);
    list.AddItem(0, "/Applications/Patchwell 5");
    list.AddItem(0, "/Users/ann/Patchwell 5");
    auto* tree = WidgetOf(*dialog.FindEntry(137))->findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->size(), WidgetOf(*dialog.FindEntry(137))->size()) << "the list takes its item's place";
    ASSERT_EQ(tree->topLevelItemCount(), 2);

    auto click = [tree](int theRow) {
        const QRect row = tree->visualItemRect(tree->topLevelItem(theRow));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    };
    click(1);
    EXPECT_EQ(list.GetSelectedID(), 12);
    click(1);
    EXPECT_EQ(dialog.itsCommands, (std::vector<std::string> { "137/1", "137/1" }))
        << "a second click notifies too";

    list.SelectItem(11, 1);
    EXPECT_TRUE(tree->topLevelItem(0)->isSelected()) << "a selection by program shows";
    EXPECT_EQ(dialog.itsCommands.size(), 2u) << "and tells nobody";
    list.Show(false);
    EXPECT_FALSE(tree->isVisibleTo(WidgetOf(dialog)));
}

TEST_F(QtTest, MenuBarSitsAboveTheContentAndSendsCommands)
{
    CMenuBar bar;
    ASSERT_TRUE(bar.Load(130));
    CMainWindow window;
    const QSize content = static_cast<CQtWindowWidget*>(WidgetOf(window))->Content()->size();
    window.SetMenuBar(&bar);
    auto* widget = static_cast<CQtWindowWidget*>(WidgetOf(window));
    ASSERT_NE(widget->MenuBar(), nullptr);
    EXPECT_EQ(widget->Content()->size(), content) << "the window grows by the bar";
    EXPECT_EQ(widget->Content()->y(), widget->MenuBarHeight());

    QStringList titles;
    QAction* quit = nullptr;
    for (QAction* menu : widget->MenuBar()->actions()) {
        titles << menu->text();
        for (QAction* item : menu->menu()->actions())
            if (item->text() == "Quit")
                quit = item;
    }
    EXPECT_EQ(titles, (QStringList { "File", "Edit", "Help" }));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_NE(bar.Menus()[0]->itsHandle, 0u) << "the dump shows the toolkit's menu";
    QMenuBar* shown = widget->MenuBar();
    window.SetMenuBar(&bar);
    EXPECT_EQ(widget->MenuBar(), shown) << "the same bar again is only redrawn";
    quit->trigger();
    EXPECT_EQ(window.itsCloses, 1) << "Quit runs the quit sequence";

    auto shortLived = std::make_unique<CMenuBar>();
    ASSERT_TRUE(shortLived->Load(130));
    window.Create(nullptr);
    window.SetMenuBar(shortLived.get());
    shortLived.reset(); // a bar may go before its window lets go of it
    window.SetMenuBar(nullptr);
}

TEST_F(QtTest, PaintingPassesDrawWithQPainter)
{
    CDibWin image(40, 30);
    CDrawContext* pixels = image.GetOffscreen();
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels->PixelAt({ 5, 5 }), (CColor { 255, 255, 255 })) << "an image starts white";
    const CColor red { 255, 0, 0 };
    const CColor black;
    image.BeginPaint(0);
    image.SelectBrush(&red);
    image.FillRect({ 0, 0, 10, 10 });
    image.SetRasterMode(kRasterXor);
    image.FillRect({ 5, 5, 10, 15 }); // the overlap turns back to black
    image.SetRasterMode(kRasterCopy);
    image.SelectPen(&black);
    image.FrameRect({ 20, 20, 30, 40 });
    image.MoveTo(0, 29);
    image.LineTo(39, 29);
    image.SelectBrush(nullptr);
    image.SelectPen(nullptr);
    image.EndPaint();
    EXPECT_EQ(pixels->PixelAt({ 2, 2 }), red);
    EXPECT_EQ(pixels->PixelAt({ 7, 7 }), black);
    EXPECT_EQ(pixels->PixelAt({ 12, 7 }), (CColor { 0, 255, 255 })) << "red xor white";
    EXPECT_EQ(pixels->PixelAt({ 20, 20 }), black);
    EXPECT_EQ(pixels->PixelAt({ 39, 29 }), black);
    EXPECT_EQ(pixels->PixelAt({ 25, 25 }), (CColor { 255, 255, 255 })) << "a frame is not filled";
    EXPECT_GT(pixels->TextWidth("Patchwell", CFontSpec()), pixels->TextWidth("Patch", CFontSpec()));
    EXPECT_GT(pixels->Metrics(CFontSpec()).itsAscent, 0);

    CMainWindow window;
    window.BeginPaint(0);
    window.SelectBrush(&red);
    window.FillRect({ 10, 10, 20, 20 });
    window.SelectBrush(nullptr);
    EXPECT_TRUE(window.DrawPicture(233, { 30, 30, 90, 210 }));
    window.EndPaint();
    const QImage shot = WidgetOf(window)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(15, 15), QColor(255, 0, 0)) << "the window shows what was drawn";
    EXPECT_NE(shot.pixelColor(5, 5), QColor(255, 0, 0));
}

} // namespace
