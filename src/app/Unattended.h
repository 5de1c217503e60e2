#pragma once

#include "engine/ExitStatus.h"
#include "engine/KitTrust.h"

class CProgramList;
struct CUpdateKit;
struct CProgramDataReport;

// The unattended mode for administrators: after start-up, without a window.

// Null when thePath is a folder, else what is wrong with it, to follow its
// name: "does not exist", "is not a folder" or the system's text; pShown,
// when given, receives the same in the person's language.
const char* FolderProblem(const char* thePath, Cstring* pShown = nullptr);

struct ApplyOptions {
    bool bForce = false; // update even a copy that already holds the update
    bool bLogLines = false; // print each line of the update's log as well
    bool bQuiet = false; // print nothing but problems
    bool bJson = false; // tell the outcome as one JSON object on standard output
    TrustOptions itsTrust; // whose signature the kit needs
};

// Says on standard error why the update kit in the updater folder cannot be
// used (its data file unreadable, damaged or empty; with bNeedArchive, no
// archive) and returns kExitRefused, with bJson also as the JSON object of
// --list or --apply FOLDER (pApplyFolder); kExitDone when it can be used.
int CheckUpdateKit(
    const CUpdateKit& theKit, const CProgramDataReport& theReport, const char* pApplyFolder, bool bJson);

// Applies the update to theFolder, which must hold a valid copy. Progress and
// the result go to standard error. A copy that already holds what the archive
// installs is left alone unless forced. Returns an UpdaterExitStatus, or
// 128 + the signal when SIGINT or SIGTERM stopped the run and the copy is as
// it was before.
int ApplyUnattended(const CUpdateKit& theKit, const char* theFolder, const ApplyOptions& theOptions);

// Prints the copies that start-up found, one line each, then those in
// pUnknown (copies that match no valid build); with pJsonKit, as the JSON
// object instead. Returns kExitDone.
int ListFoundCopies(const CProgramList* pUnknown = nullptr, const CUpdateKit* pJsonKit = nullptr);
