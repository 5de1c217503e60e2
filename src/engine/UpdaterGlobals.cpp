#include "engine/UpdaterGlobals.h"

Cstring gAppBundlePath;
Cstring gZipPath;
Cstring gInstallName;
Cstring gProgramName;
Cstring gDataKeyText;
Cstring gCurrentFolder;
Cstring gApplicationsFolder("/Applications");
CProgramList ValidPrograms;
CProgramList FoundPrograms;
CGlobalWin* gGlobalWin = nullptr;
FILE* gDiagnostics = nullptr;
