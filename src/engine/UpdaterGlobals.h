#pragma once

#include "foundation/Cstring.h"
#include "identification/ProgramList.h"

#include <cstdio>

class CGlobalWin;

// Where things lie, set once by start-up before the window opens and only
// read afterwards.
extern Cstring gAppBundlePath; // the updater folder: archive, data.txt, readme.txt
extern Cstring gZipPath; // the update archive, or empty
extern Cstring gInstallName; // the archive's name without ".zip", or empty
extern Cstring gProgramName; // string resource 10000, the "|PROGNAME|" text
extern Cstring gDataKeyText; // archive password and data-file key text
extern Cstring gCurrentFolder;
extern Cstring gMyProjectsPath;
extern Cstring gApplicationsFolder; // where installed copies are looked for
extern CProgramList ValidPrograms;
extern CProgramList FoundPrograms;
extern CGlobalWin* gGlobalWin;
// The optional diagnostic stream; null unless the command line opened one.
extern FILE* gDiagnostics;
