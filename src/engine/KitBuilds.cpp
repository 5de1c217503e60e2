#include "engine/KitBuilds.h"

#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramData.h"
#include "identification/ProgramScanner.h"
#include "platform/Resources.h"

void NameKitInTexts(const CUpdateKit& theKit)
{
    AddTextSubstitution("|ZIPNAME|", theKit.itsInstallName.GetText());
    gProgramName = Cstring(10000);
    AddTextSubstitution("|PROGNAME|", gProgramName.GetText());
}

void ReadKitBuilds(const CUpdateKit& theKit, CProgramDataReport* pReport)
{
    ValidPrograms.DeleteAll();
    ReadProgramData(ValidPrograms, theKit.DataFile().GetText(), pReport,
        theKit.itsDataFile.itsName.empty() ? nullptr : &theKit.itsDataBytes);
}

void FindInstalledCopies(CProgramList* pUnknown)
{
    FoundPrograms.DeleteAll();
    ScanDirectory(FoundPrograms, gApplicationsFolder.GetText(), gValidProgramNames, &ValidPrograms, pUnknown);
}
