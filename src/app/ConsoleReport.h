#pragma once

#include "foundation/Cstring.h"

class CProgramList;
struct CUpdateKit;

// What --list and --apply tell a program that reads --json: one JSON object
// on standard output, whatever happened. The person's texts go to standard
// error as they do without --json.

// What became of --apply.
struct ApplyReport {
    Cstring itsFolder;
    const char* itsStatus = "refused"; // CUpdateRun::OutcomeName
    int itsExitStatus = 0;
    Cstring itsFromBuild;
    Cstring itsToBuild;
    Cstring itsBackup;
    Cstring itsLog;
    Cstring itsMessage; // why it failed or was refused; for a done run, a note
    Cstring itsOrigin; // who signed the kit, or that it could not be checked
};

void PrintApplyJson(const ApplyReport& theReport);

// The copies found (FoundPrograms, then pUnknown, which match no valid
// build), each with whether it already holds what the kit's archive
// installs (null without an archive). A refused listing names its problem and lists
// nothing.
void PrintListJson(
    const CUpdateKit& theKit, const CProgramList* pUnknown, int theExitStatus, const Cstring& theProblem);
