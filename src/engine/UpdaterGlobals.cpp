#include "engine/UpdaterGlobals.h"

Cstring gAppBundlePath;
Cstring gProgramName;
Cstring gCurrentFolder;
Cstring gApplicationsFolder("/Applications");
CProgramList ValidPrograms;
CProgramList FoundPrograms;
CGlobalWin* gGlobalWin = nullptr;
FILE* gDiagnostics = nullptr;
