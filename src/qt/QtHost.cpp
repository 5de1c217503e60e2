#include "qt/QtHost.h"

#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/mdialog.h"
#include "qt/QtControls.h"
#include "qt/QtDrawing.h"
#include "qt/QtHostImpl.h"
#include "qt/QtListView.h"
#include "qt/QtWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>
#include <QVBoxLayout>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int gSignalPipe[2] = { -1, -1 };
QKeyEvent* gCurrentKey = nullptr; // the toolkit event the keyboard rules are working on

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(gSignalPipe[1], &byte, 1);
}

QMessageBox::Icon IconOf(int theKind)
{
    switch (theKind) {
    case kAlertStop:
        return QMessageBox::Critical;
    case kAlertCaution:
        return QMessageBox::Warning;
    case kAlertNote:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

bool IsModifierKey(int theKey)
{
    switch (theKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

bool IsInputEvent(QEvent::Type theType)
{
    switch (theType) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

} // namespace

bool HasWindowPlatform(const char* theName)
{
    const QStringList pattern { QStringLiteral("libq%1*.so").arg(QString::fromUtf8(theName)) };
    for (const QString& folder : QCoreApplication::libraryPaths())
        if (!QDir(folder + QStringLiteral("/platforms")).entryList(pattern, QDir::Files).isEmpty())
            return true;
    return false;
}

std::unique_ptr<CHost> MakeWindowHost(int& argc, char** argv)
{
    return std::make_unique<CQtHost>(argc, argv);
}

QWidget* WidgetOf(const CWindow& theWindow)
{
    auto* view = dynamic_cast<CQtWindowView*>(theWindow.GetView());
    return view ? view->Widget() : nullptr;
}

QWidget* WidgetOf(const ControlEntry& theEntry)
{
    auto* control = dynamic_cast<CQtControl*>(theEntry.itsView);
    return control ? control->Widget() : nullptr;
}

CQtHost::CQtHost(int& argc, char** argv)
    : itsApp(std::make_unique<QApplication>(argc, argv))
{
    // The framework ends the loop itself, when the main window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    for (const char* size : { "48", "256" })
        icon.addFile(QString(":/icons/patchwell-updater-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName("patchwell-updater");
    itsApp->installEventFilter(this);
    itsIdleTimer.setInterval(1000 / 3);
    QObject::connect(&itsIdleTimer, &QTimer::timeout, [] {
        Shell().IdleTick();
        Shell().AfterEvent();
    });
    QObject::connect(itsApp.get(), &QGuiApplication::commitDataRequest, [] { Shell().RequestQuit(); });

    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        itsSignalNotifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(itsSignalNotifier.get(), &QSocketNotifier::activated, [this] { OnStopSignal(); });
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
}

CQtHost::~CQtHost()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    itsSignalNotifier.reset();
    for (int& fd : gSignalPipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    while (itsWaitCursors-- > 0)
        QGuiApplication::restoreOverrideCursor();
    itsApp->removeEventFilter(this);
    // Windows closed by their own handlers wait for the loop to delete them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CQtHost::OnStopSignal()
{
    char bytes[16];
    while (read(gSignalPipe[0], bytes, sizeof bytes) > 0) { }
    // During a run a signal asks to stop the run; its confirmation is then
    // answered yes, since nobody may be there to answer it.
    bStopRequested = true;
    if (auto* alert = qobject_cast<QMessageBox*>(itsOpenAlert.data()))
        alert->done(0); // answered as by Escape
    if (bInRun) {
        RequestCancel();
        return;
    }
    if (Shell().IsModalDialogUp())
        Shell().bQuitPending = true;
    else
        Shell().RequestQuit();
    Shell().AfterEvent();
}

std::unique_ptr<CWindowView> CQtHost::MakeWindow(CWindow& theWindow)
{
    return std::make_unique<CQtWindowView>(*this, theWindow);
}

std::unique_ptr<CControlView> CQtHost::MakeControl(CWindow& theOwner, ControlEntry& theEntry)
{
    auto* window = dynamic_cast<CQtWindowWidget*>(WidgetOf(theOwner));
    return window ? MakeQtControl(*this, window->Content(), theEntry) : nullptr;
}

std::unique_ptr<CListPeer> CQtHost::MakeListView(
    CListView& theView, CDialog& theDialog, ControlEntry& theItem)
{
    // Inside the item's own widget when it has one, so that the list shows
    // and hides with the item's page.
    const CRect& bounds = theItem.itsBounds;
    if (QWidget* pane = WidgetOf(theItem)) {
        auto peer
            = std::make_unique<CQtListPeer>(theView, pane, QRect(0, 0, bounds.Width(), bounds.Height()));
        // The list fills the item, however the dialog's layout sizes it.
        if (QTreeWidget* list = peer->Tree(); list && !pane->layout()) {
            auto* fill = new QVBoxLayout(pane);
            fill->setContentsMargins(0, 0, 0, 0);
            fill->addWidget(list);
        }
        return peer;
    }
    auto* window = dynamic_cast<CQtWindowWidget*>(WidgetOf(theDialog));
    if (!window)
        return nullptr;
    return std::make_unique<CQtListPeer>(
        theView, window->Content(), QRect(bounds.left, bounds.top, bounds.Width(), bounds.Height()));
}

std::unique_ptr<CDrawContext> CQtHost::MakeOffscreen(int theWidth, int theHeight)
{
    return std::make_unique<CQtDrawContext>(theWidth, theHeight);
}

CRect CQtHost::ScreenBounds() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return { 0, 0, 768, 1024 };
    const QRect area = screen->availableGeometry();
    return { area.top(), area.left(), area.top() + area.height(), area.left() + area.width() };
}

CWindow* CQtHost::FrontWindow() const
{
    auto* widget = dynamic_cast<CQtWindowWidget*>(QApplication::activeWindow());
    return widget ? widget->Window() : nullptr;
}

void CQtHost::RunApplicationLoop()
{
    if (bQuitRequested) {
        bQuitRequested = false;
        return;
    }
    QEventLoop loop;
    itsAppLoop = &loop;
    loop.exec();
    itsAppLoop = nullptr;
    bQuitRequested = false;
}

void CQtHost::QuitApplicationLoop()
{
    // A quit that comes before the loop runs keeps it from running.
    if (itsAppLoop)
        itsAppLoop->quit();
    else
        bQuitRequested = true;
}

bool CQtHost::RunModalLoop(CDialog& theDialog)
{
    QWidget* widget = WidgetOf(theDialog);
    if (!widget)
        return false;
    if (!widget->isModal()) {
        const bool bShown = widget->isVisible();
        widget->hide();
        widget->setWindowModality(Qt::ApplicationModal);
        widget->setVisible(bShown);
    }
    QEventLoop loop;
    itsModalLoops[&theDialog] = &loop;
    if (theDialog.IsOpen())
        loop.exec();
    itsModalLoops.erase(&theDialog);
    return true;
}

void CQtHost::EndModalLoop(CDialog& theDialog)
{
    const auto loop = itsModalLoops.find(&theDialog);
    if (loop != itsModalLoops.end())
        loop->second->quit();
}

void CQtHost::StartIdleTick()
{
    itsIdleTimer.start();
}

void CQtHost::StopIdleTick()
{
    itsIdleTimer.stop();
}

void CQtHost::WakeForPostedMessages()
{
    QMetaObject::invokeMethod(
        itsApp.get(),
        [] {
            Shell().DeliverPostedMessages();
            Shell().AfterEvent();
        },
        Qt::QueuedConnection);
}

int CQtHost::ShowAlert(const CAlert& theAlert)
{
    if (bStopRequested && theAlert.itsButtonCount > 1)
        return 1;
    QMessageBox box(IconOf(theAlert.itsKind), QString::fromUtf8(theAlert.itsCaption.GetText()),
        QString::fromUtf8(theAlert.itsText.GetText()), QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* buttons[3] = {};
    for (int i = 0; i < theAlert.itsButtonCount; ++i) {
        const QMessageBox::ButtonRole role = i + 1 == theAlert.itsCancelButton && i > 0
            ? QMessageBox::RejectRole
            : i == 0 ? QMessageBox::AcceptRole
                     : QMessageBox::DestructiveRole;
        buttons[i]
            = box.addButton(QString::fromUtf8(theAlert.itsButtons[i].GetText()).replace('&', "&&"), role);
    }
    box.setDefaultButton(buttons[0]);
    box.setEscapeButton(buttons[theAlert.itsCancelButton - 1]);
    itsOpenAlert = &box;
    box.exec();
    itsOpenAlert = nullptr;
    for (int i = 0; i < theAlert.itsButtonCount; ++i)
        if (box.clickedButton() == buttons[i])
            return i + 1;
    return theAlert.itsCancelButton;
}

int CQtHost::ChooseFolder(const char* thePrompt, Cstring& theFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), QString::fromUtf8(thePrompt), QString::fromUtf8(theFolder.GetText()));
    if (folder.isEmpty())
        return 0;
    theFolder = folder.toUtf8().constData();
    return 1;
}

namespace {

// Qt's chooser takes either files or folders. This one shows both: a file
// of the types given is chosen as any file is, and a folder that is
// selected when Open is pressed is chosen too, where a double click still
// enters it.
class CFileOrFolderDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && QFileInfo(chosen.first()).isDir()) {
            itsFolder = chosen.first();
            done(QDialog::Accepted);
            return;
        }
        QFileDialog::accept();
    }

    QString Chosen() const { return itsFolder.isEmpty() ? selectedFiles().value(0) : itsFolder; }

private:
    QString itsFolder;
};

} // namespace

int CQtHost::ChooseFileOrFolder(const char* thePrompt, const char* theFileTypes, Cstring& thePath)
{
    CFileOrFolderDialog dialog(QApplication::activeWindow(), QString::fromUtf8(thePrompt),
        QString::fromUtf8(thePath.GetText()), QString::fromUtf8(theFileTypes));
    // The desktop's own chooser cannot be told to take a folder as well.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty())
        return 0;
    thePath = dialog.Chosen().toUtf8().constData();
    return 1;
}

bool CQtHost::PollUserCancel()
{
    // The window stays drawn and hears the cancel keys while the run blocks
    // the loop; with nothing pending this costs microseconds a block.
    bInRun = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    bInRun = false;
    const bool bCancel = bCancelRequested;
    bCancelRequested = false;
    return bCancel;
}

bool CQtHost::OpenDocument(const char* thePathOrUrl)
{
    const QString target = QString::fromUtf8(thePathOrUrl);
    return QDesktopServices::openUrl(target.startsWith('/') ? QUrl::fromLocalFile(target) : QUrl(target));
}

void CQtHost::SetCursor(int theCursorId)
{
    if (theCursorId == 129) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ++itsWaitCursors;
        return;
    }
    for (; itsWaitCursors > 0; --itsWaitCursors)
        QGuiApplication::restoreOverrideCursor();
}

bool CQtHost::ForwardKey(QWidget* pWidget, const CKeyEvent& theKey, QKeyEvent*)
{
    if (!pWidget || !gCurrentKey)
        return false;
    Qt::KeyboardModifiers modifiers = gCurrentKey->modifiers();
    if (!theKey.Has(kShiftKey))
        modifiers &= ~Qt::ShiftModifier;
    QKeyEvent copy(
        QEvent::KeyPress, gCurrentKey->key(), modifiers, gCurrentKey->text(), gCurrentKey->isAutoRepeat());
    QWidget* target = pWidget->focusProxy() ? pWidget->focusProxy() : pWidget;
    bForwarding = true;
    QCoreApplication::sendEvent(target, &copy);
    bForwarding = false;
    return copy.isAccepted();
}

bool CQtHost::FilterDuringRun(QWidget* pWidget, QEvent* pEvent)
{
    if (!IsInputEvent(pEvent->type()))
        return false;
    if (pEvent->type() == QEvent::KeyPress) {
        const CKeyEvent key = TranslateKey(*static_cast<QKeyEvent*>(pEvent));
        if (key.itsKeyCode == kKeyEscape || key.IsCommand('.'))
            RequestCancel();
    } else if (pEvent->type() == QEvent::MouseButtonRelease) {
        CQtControl* control = ControlOf(pWidget);
        CWindow* owner = control ? control->Entry().itsOwner : nullptr;
        if (owner && owner->GetCancelItem() != 0 && control->Entry().itsItemId == owner->GetCancelItem()
            && control->Widget()->isEnabled())
            RequestCancel();
    }
    // Nothing else reaches the windows while the run lasts.
    return true;
}

bool CQtHost::eventFilter(QObject* pObject, QEvent* pEvent)
{
    if (bForwarding || !pObject->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(pObject);
    auto* top = dynamic_cast<CQtWindowWidget*>(widget->window());
    CWindow* window = top ? top->Window() : nullptr;
    if (!window)
        return false;
    if (bInRun)
        return FilterDuringRun(widget, pEvent);
    if (pEvent->type() == QEvent::FocusIn) {
        CQtControl* control = ControlOf(widget);
        window->NoteFocus(control ? &control->Entry() : nullptr);
        return false;
    }
    if (pEvent->type() != QEvent::KeyPress)
        return false;
    // A key travels up from the focus widget; the rules see it once.
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : top;
    if (widget != first)
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(pEvent);
    if (IsModifierKey(keyEvent->key()))
        return false; // not a key of its own to the framework
    QKeyEvent* outer = gCurrentKey;
    gCurrentKey = keyEvent;
    const bool bTaken = window->HandleKey(TranslateKey(*keyEvent));
    gCurrentKey = outer;
    Shell().AfterEvent();
    return bTaken;
}
