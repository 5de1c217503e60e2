// patchwell-screenshots: renders the wizard offscreen on an update kit and
// saves a picture of the splash and of each page, for a person without a
// display to see what the updater looks like. It walks the pages as a user
// would and really updates the first copy found, so point it at copies made
// for the purpose.
//
//   patchwell-screenshots --bundle KIT --applications FOLDER --out FOLDER
//
// The failed page is shown as a kit without its archive shows it.

#include "engine/UpdaterGlobals.h"
#include "app/UpdaterMain.h"
#include "identification/ProgramList.h"
#include "platform/Host.h"
#include "qt/QtHost.h"
#include "qt/QtHostImpl.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string itsBundle;
    std::string itsApplications;
    std::string itsOut;
};

std::vector<std::string> gSaved;

bool Save(QWidget* pWidget, const std::string& theFolder, const char* theName)
{
    const std::string path = theFolder + "/" + theName + ".png";
    if (!pWidget || !pWidget->grab().save(QString::fromStdString(path))) {
        std::fprintf(stderr, "patchwell-screenshots: cannot write '%s'\n", path.c_str());
        return false;
    }
    gSaved.push_back(path);
    return true;
}

QWidget* MainWidget()
{
    return WidgetOf(*gGlobalWin);
}

void Start(const Options& theOptions, const std::string& theBundle)
{
    StartupOptions startup;
    startup.itsBundlePath = theBundle.c_str();
    startup.itsApplicationsFolder = theOptions.itsApplications.c_str();
    UpdaterStartup(0, startup);
    gGlobalWin->DoModal();
    QCoreApplication::processEvents();
}

void Stop()
{
    UpdaterCleanup();
    FoundPrograms.DeleteAll();
    ValidPrograms.DeleteAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The six pages on the kit: the run itself is shot while it goes.
bool ShootTheWizard(const Options& theOptions)
{
    const std::string& out = theOptions.itsOut;
    Start(theOptions, theOptions.itsBundle);
    bool bSaved = Save(WidgetOf(*gGlobalWin->GetSplash()), out, "splash");
    gGlobalWin->DoCommand(kCommandSplashDone, 0, 0);
    bSaved &= Save(MainWidget(), out, "page152-welcome");
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    gGlobalWin->SelectFolderRow(0);
    bSaved &= Save(MainWidget(), out, "page153-folder");
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    bSaved &= Save(MainWidget(), out, "page154-confirm");

    bool bProgress = false;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        const ControlEntry* percent = gGlobalWin->FindEntry(kItemPercent);
        if (!bProgress && gGlobalWin->GetCurrentPage() == kPageProgress && percent
            && std::atoi(percent->itsText.GetText()) >= 30)
            bProgress = Save(MainWidget(), out, "page155-progress");
    });
    progress.start(0);
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    progress.stop();
    bSaved &= bProgress;
    bSaved &= Save(
        MainWidget(), out, gGlobalWin->GetCurrentPage() == kPageDone ? "page156-done" : "page157-failed-run");
    Stop();
    return bSaved;
}

// The page that asks for a kit, as a folder without an archive shows it.
bool ShootNothingToInstall(const Options& theOptions)
{
    const std::string empty = theOptions.itsOut + "/kit-without-archive";
    QDir().mkpath(QString::fromStdString(empty));
    for (const char* name : { "data.txt", "readme.txt" })
        QFile::copy(QString::fromStdString(theOptions.itsBundle + "/" + name),
            QString::fromStdString(empty + "/" + name));
    Start(theOptions, empty);
    gGlobalWin->DoCommand(kCommandSplashDone, 0, 0);
    const bool bSaved = Save(MainWidget(), theOptions.itsOut, "page158-open-kit");
    Stop();
    QDir(QString::fromStdString(empty)).removeRecursively();
    return bSaved;
}

// Nobody is there to answer a question: it is printed and closed as by
// Escape, so that the pictures are made whatever the kit holds.
void AnswerQuestions(QTimer& theTimer)
{
    QObject::connect(&theTimer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(
                stderr, "patchwell-screenshots: answered \"%s\"\n", box->text().toUtf8().constData());
            box->done(0);
        }
    });
    theTimer.start(50);
}

// The offscreen platform's notes on what it cannot do say nothing to the reader.
void QuietMessages(QtMsgType theType, const QMessageLogContext&, const QString& theText)
{
    if (theType == QtDebugMsg || theType == QtInfoMsg || theText.startsWith("This plugin does not support")
        || theText.startsWith("QStandardPaths:"))
        return;
    std::fprintf(stderr, "%s\n", theText.toUtf8().constData());
}

int Usage()
{
    std::fprintf(stderr, "Usage: patchwell-screenshots --bundle KIT --applications FOLDER --out FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--bundle") == 0)
            options.itsBundle = argv[i + 1];
        else if (std::strcmp(argv[i], "--applications") == 0)
            options.itsApplications = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0)
            options.itsOut = argv[i + 1];
        else
            return Usage();
    }
    if (argc % 2 == 0 || options.itsBundle.empty() || options.itsApplications.empty()
        || options.itsOut.empty())
        return Usage();
    if (!QDir().mkpath(QString::fromStdString(options.itsOut))) {
        std::fprintf(stderr, "patchwell-screenshots: cannot make '%s'\n", options.itsOut.c_str());
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietMessages);
    std::unique_ptr<CHost> host = MakeWindowHost(argc, argv);
    SetHost(host.get());
    QTimer answers;
    AnswerQuestions(answers);
    bool bDone = ShootTheWizard(options);
    bDone &= ShootNothingToInstall(options);
    SetHost(nullptr);
    for (const std::string& path : gSaved)
        std::printf("%s\n", path.c_str());
    return bDone ? 0 : 1;
}
