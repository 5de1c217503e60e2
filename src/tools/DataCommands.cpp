#include "identification/ProgramData.h"
#include "platform/SystemServices.h"
#include "tools/PackCommands.h"
#include "tools/ValidBuilds.h"

#include <cstdio>

int RunDataCommand(int theCount, char** theArgs)
{
    if (theCount < 2) {
        std::fprintf(stderr, "usage: patchwell-pack data OUT.txt FOLDER...\n");
        return kPackBadUsage;
    }
    return WriteValidBuilds(theArgs[0], theCount - 1, theArgs + 1) ? kPackDone : kPackFailed;
}

int RunDumpCommand(int theCount, char** theArgs)
{
    if (theCount != 1) {
        std::fprintf(stderr, "usage: patchwell-pack dump DATA.txt\n");
        return kPackBadUsage;
    }
    CProgramList programs;
    CProgramDataReport report;
    ReadProgramData(programs, theArgs[0], &report);
    DumpPrograms(programs, stdout);
    if (report.IsSound())
        return kPackDone;
    std::fprintf(stderr, "patchwell-pack dump: '%s' %s\n", theArgs[0], report.Problem().GetText());
    return kPackFailed;
}
