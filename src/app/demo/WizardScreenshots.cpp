// patchwell-screenshots: renders the wizard offscreen on an update kit and
// saves a picture of the splash and of each page, for a person without a
// display to see what the updater looks like. It walks the pages as a user
// would and really updates the first copy found, so point it at copies made
// for the purpose.
//
//   patchwell-screenshots --bundle KIT --applications FOLDER --out FOLDER
//
// The failed page is shown as a kit without its archive shows it.

#include "app/UpdaterMain.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "platform/Host.h"
#include "qt/QtHost.h"
#include "qt/QtPictures.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct Options {
    std::string itsBundle;
    std::string itsApplications;
    std::string itsOut;
};

std::vector<std::string> gSaved;

bool Save(const CWindow& theWindow, const std::string& theFolder, const char* theName)
{
    const std::string path = theFolder + "/" + theName + ".png";
    if (!SaveWindowPicture(theWindow, path)) {
        std::fprintf(stderr, "patchwell-screenshots: cannot write '%s'\n", path.c_str());
        return false;
    }
    gSaved.push_back(path);
    return true;
}

void Start(const Options& theOptions, const std::string& theBundle)
{
    StartupOptions startup;
    startup.itsBundlePath = theBundle.c_str();
    startup.itsApplicationsFolder = theOptions.itsApplications.c_str();
    UpdaterStartup(0, startup);
    gGlobalWin->DoModal();
    DeliverPendingEvents();
}

void Stop()
{
    UpdaterCleanup();
    FoundPrograms.DeleteAll();
    ValidPrograms.DeleteAll();
    DeleteClosedWindows();
}

// The six pages on the kit: the run itself is shot while it goes.
bool ShootTheWizard(const Options& theOptions)
{
    const std::string& out = theOptions.itsOut;
    Start(theOptions, theOptions.itsBundle);
    bool bSaved = Save(*gGlobalWin->GetSplash(), out, "splash");
    gGlobalWin->DoCommand(kCommandSplashDone, 0, 0);
    bSaved &= Save(*gGlobalWin, out, "page152-welcome");
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    gGlobalWin->SelectFolderRow(0);
    bSaved &= Save(*gGlobalWin, out, "page153-folder");
    gGlobalWin->DoCommand(kItemNext, 0, 0);
    bSaved &= Save(*gGlobalWin, out, "page154-confirm");

    bool bProgress = false;
    {
        const CRepeatedCheck progress(0, [&] {
            const ControlEntry* percent = gGlobalWin->FindEntry(kItemPercent);
            if (!bProgress && gGlobalWin->GetCurrentPage() == kPageProgress && percent
                && std::atoi(percent->itsText.GetText()) >= 30)
                bProgress = Save(*gGlobalWin, out, "page155-progress");
        });
        gGlobalWin->DoCommand(kItemNext, 0, 0);
    }
    bSaved &= bProgress;
    bSaved &= Save(
        *gGlobalWin, out, gGlobalWin->GetCurrentPage() == kPageDone ? "page156-done" : "page157-failed-run");
    Stop();
    return bSaved;
}

// The page that asks for a kit, as a folder without an archive shows it.
bool ShootNothingToInstall(const Options& theOptions)
{
    const std::string empty = theOptions.itsOut + "/kit-without-archive";
    std::error_code error;
    std::filesystem::create_directories(empty, error);
    for (const char* name : { "data.txt", "readme.txt" })
        std::filesystem::copy_file(theOptions.itsBundle + "/" + name, empty + "/" + name,
            std::filesystem::copy_options::overwrite_existing, error);
    Start(theOptions, empty);
    gGlobalWin->DoCommand(kCommandSplashDone, 0, 0);
    const bool bSaved = Save(*gGlobalWin, theOptions.itsOut, "page158-open-kit");
    Stop();
    std::filesystem::remove_all(empty, error);
    return bSaved;
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
    std::error_code error;
    std::filesystem::create_directories(options.itsOut, error);
    if (error) {
        std::fprintf(stderr, "patchwell-screenshots: cannot make '%s'\n", options.itsOut.c_str());
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QuietenToolkitNotes();
    std::unique_ptr<CHost> host = MakeWindowHost(argc, argv);
    SetHost(host.get());
    // Nobody is there to answer a question: the pictures are made whatever
    // the kit holds.
    const std::unique_ptr<CRepeatedCheck> answers = AnswerQuestionsByEscape("patchwell-screenshots");
    bool bDone = ShootTheWizard(options);
    bDone &= ShootNothingToInstall(options);
    SetHost(nullptr);
    for (const std::string& path : gSaved)
        std::printf("%s\n", path.c_str());
    return bDone ? 0 : 1;
}
