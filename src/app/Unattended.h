#pragma once

#include "engine/ExitStatus.h"
#include "engine/KitTrust.h"

class CProgramList;
struct CUpdateKit;
struct CProgramDataReport;

// The unattended mode for administrators: after start-up, without a window.

// Null when thePath is a folder, else what is wrong with it, to follow its
// name: "does not exist", "is not a folder" or the system's text.
const char* FolderProblem(const char* thePath);

// Says on standard error why the update kit in the updater folder cannot be
// used (its data file unreadable, damaged or empty; with bNeedArchive, no
// archive) and returns kExitRefused; kExitDone when it can be used.
int CheckUpdateKit(const CUpdateKit& theKit, const CProgramDataReport& theReport, bool bNeedArchive);

struct ApplyOptions {
    bool bForce = false; // update even a copy that already holds the update
    bool bLogLines = false; // print each line of the update's log as well
    TrustOptions itsTrust; // whose signature the kit needs
};

// Applies the update to theFolder, which must hold a valid copy. Progress and
// the result go to standard error. A copy that already holds what the archive
// installs is left alone unless forced. Returns an UpdaterExitStatus.
int ApplyUnattended(const CUpdateKit& theKit, const char* theFolder, const ApplyOptions& theOptions);

// Prints the copies that start-up found, one line each, then those in
// pUnknown (copies that match no valid build); returns kExitDone.
int ListFoundCopies(const CProgramList* pUnknown = nullptr);
