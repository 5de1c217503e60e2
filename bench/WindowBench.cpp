// The wizard's responsiveness, offscreen, in three measures:
//   WindowBench shown  --bundle KIT --applications FOLDER
//       prints the wall clock (ns since the epoch) at the moment the main
//       window is first exposed, for a script that took the time before
//       starting the process; the start-up is the updater's own, the copies
//       checked beside the window as a plain start does.
//   WindowBench repaint
//       how many times a second the progress page's four items can change and
//       be repainted at once, as the run's progress does it.
//   WindowBench escape --bundle KIT --applications FOLDER
//       runs the update and, every 100 ms of the run, queues an Escape key and
//       measures the time until the abort question is on screen; the question
//       is answered No, so the run goes on. Prints each latency in ms.

#include "app/UpdaterMain.h"
#include "engine/CopyCheck.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "platform/Host.h"
#include "qt/QtHost.h"
#include "qt/QtHostImpl.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration theTime)
{
    return std::chrono::duration<double, std::milli>(theTime).count();
}

// Starts as main does with a display: the copies are checked beside the
// window. bWaitForCopies waits for the check, for a mode that uses the copies.
void Start(int argc, char** argv, bool bWaitForCopies)
{
    StartupOptions options;
    options.bCheckCopiesBeside = true;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--bundle") == 0)
            options.itsBundlePath = argv[i + 1];
        else if (std::strcmp(argv[i], "--applications") == 0)
            options.itsApplicationsFolder = argv[i + 1];
    }
    UpdaterStartup(0, options);
    gGlobalWin->DoModal();
    if (bWaitForCopies) {
        StartupCopyCheck().Wait();
        gGlobalWin->TakeCheckedCopies();
    }
}

int Shown()
{
    QWidget* window = WidgetOf(*gGlobalWin);
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(); // the first paint
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf(
        "%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return 0;
}

int Repaint()
{
    gGlobalWin->SelectTabPage(kPageProgress);
    QCoreApplication::processEvents();
    const Clock::time_point start = Clock::now();
    int count = 0;
    char text[64];
    for (; Clock::now() - start < std::chrono::seconds(2); ++count) {
        const int percent = count % 101;
        gGlobalWin->SetItemValue(kItemProgressBar, percent);
        gGlobalWin->RedrawItem(kItemProgressBar);
        std::snprintf(text, sizeof text, "%d%%", percent);
        gGlobalWin->SetItemText(kItemPercent, text);
        gGlobalWin->RedrawItem(kItemPercent);
        std::snprintf(text, sizeof text, "File %d of %d", count % 1500, 1500);
        gGlobalWin->SetItemText(kItemCounter, text);
        gGlobalWin->RedrawItem(kItemCounter);
        std::snprintf(text, sizeof text, "Patchwell 5.app/Contents/Resources/file%d.dat", count);
        gGlobalWin->SetItemText(kItemEntryName, text);
        gGlobalWin->RedrawItem(kItemEntryName);
    }
    std::printf("%.0f\n", count / Milliseconds(Clock::now() - start) * 1000);
    return 0;
}

int Escape()
{
    gGlobalWin->DoCommand(kCommandSplashDone, 0, 0);
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    gGlobalWin->SelectFolderRow(0);
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    QWidget* window = WidgetOf(*gGlobalWin);

    std::vector<double> latencies;
    Clock::time_point pressed {};
    bool bWaiting = false;
    // The key is queued as the window system would queue it; the run sees it
    // at its next poll.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (bWaiting || gGlobalWin->GetCurrentPage() != kPageProgress)
            return;
        bWaiting = true;
        pressed = Clock::now();
        QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    press.start(100);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "No")
                button->click();
    });
    // The question's own show event is the moment it is on screen.
    struct CShowWatch : QObject {
        std::function<void()> itsOnShow;
        bool eventFilter(QObject* pObject, QEvent* pEvent) override
        {
            if (pEvent->type() == QEvent::Show && qobject_cast<QMessageBox*>(pObject))
                itsOnShow();
            return false;
        }
    } watch;
    watch.itsOnShow = [&] {
        if (!bWaiting)
            return;
        latencies.push_back(Milliseconds(Clock::now() - pressed));
        bWaiting = false;
        answer.start(0);
    };
    qApp->installEventFilter(&watch);
    const Clock::time_point start = Clock::now();
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    const double run = Milliseconds(Clock::now() - start);
    qApp->removeEventFilter(&watch);
    std::sort(latencies.begin(), latencies.end());
    std::printf("run %.0f ms, page %d, questions %zu", run, gGlobalWin->GetCurrentPage(), latencies.size());
    if (!latencies.empty())
        std::printf(
            ", latency median %.2f ms, max %.2f ms", latencies[latencies.size() / 2], latencies.back());
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // a platform the caller names wins
    std::unique_ptr<CHost> host = MakeWindowHost(argc, argv);
    SetHost(host.get());
    Start(argc, argv, mode != "shown");
    const int status = mode == "shown" ? Shown()
        : mode == "repaint"            ? Repaint()
        : mode == "escape"             ? Escape()
                                       : 2;
    UpdaterCleanup();
    SetHost(nullptr);
    return status;
}
