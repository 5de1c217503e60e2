#pragma once

#include "engine/UpdateKit.h"
#include "foundation/Cstring.h"

#include <cstdint>
#include <cstdio>

struct CProgramDataReport;
class CProgramList;

// What the command line may change about start-up.
struct StartupOptions {
    Cstring itsBundlePath; // the updater folder; empty: the program's own folder
    Cstring itsApplicationsFolder; // empty: "/Applications"
    FILE* itsDiagnostics = nullptr; // the diagnostic stream, or null
    // When given, receives what became of "data.txt"; a file that cannot be
    // opened is then the caller's to report, without an alert.
    CProgramDataReport* itsDataReport = nullptr;
    // When given, receives the installed copies that match no valid build.
    CProgramList* itsUnknownCopies = nullptr;
    // The window opens while the copies are checked (StartupCopyCheck),
    // rather than after; not with diagnostics, which list what was found.
    bool bCheckCopiesBeside = false;
};

// The whole main routine: start-up, the window and its event loop, clean-up.
// Returns 0 when the user has quit.
int UpdaterMain(uint32_t theInstance, const StartupOptions& theOptions);

// Start-up up to the point where the window would open: every name, path,
// list and setting is in place afterwards, and the kit found in the updater
// folder is returned (the window holds a copy). The unattended mode stops here.
CUpdateKit UpdaterStartup(uint32_t theInstance, const StartupOptions& theOptions);
// Opens the main window, shows it and runs the event loop until the user quits.
void UpdaterRunWindow();
// Releases what start-up acquired, in its fixed order.
void UpdaterCleanup();

// The folder rules of start-up, apart so their edges can be checked.
// Cuts an updater started from inside a build folder back to its project.
void CutBuildFolder(Cstring& theFolder);
// Applies MyFilesPath to gMyProjectsPath and cuts trailing separators.
void ApplyFolderOverrides();
