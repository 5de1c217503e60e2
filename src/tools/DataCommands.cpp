#include "identification/ProgramData.h"
#include "platform/SystemServices.h"
#include "tools/PackCommands.h"
#include "tools/ValidBuilds.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    // The reader reports a missing file in an alert; say it plainly here.
    FILE* probe = std::fopen(theArgs[0], "r");
    if (!probe) {
        std::fprintf(stderr, "patchwell-pack: cannot read '%s': %s\n", theArgs[0], std::strerror(errno));
        return kPackFailed;
    }
    std::fclose(probe);
    CProgramList programs;
    ReadProgramData(programs, theArgs[0]);
    DumpPrograms(programs, stdout);
    return kPackDone;
}
