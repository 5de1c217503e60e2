#pragma once

#include "foundation/Cstring.h"
#include "identification/ProgramList.h"

#include <cstdio>

class CGlobalWin;

// Where things lie, set once by start-up before the window opens and only
// read afterwards.
// What the updater folder holds is the kit's (CUpdateKit), handed from
// start-up to the window and the run.
extern Cstring gAppBundlePath; // the updater folder: archive, data.txt, readme.txt
extern Cstring gProgramName; // string resource 10000, the "|PROGNAME|" text
extern Cstring gCurrentFolder;
extern Cstring gMyProjectsPath;
extern Cstring gApplicationsFolder; // where installed copies are looked for
extern CProgramList ValidPrograms;
extern CProgramList FoundPrograms;
extern CGlobalWin* gGlobalWin;
// The optional diagnostic stream; null unless the command line opened one.
extern FILE* gDiagnostics;
