#include "identification/ProgramData.h"
#include "platform/SystemServices.h"
#include "tools/PackCommands.h"
#include "tools/ValidBuilds.h"

#include <cstdio>
#include <vector>

int RunDataCommand(int theCount, char** theArgs)
{
    CCommandLine line({});
    if (!ReadPackArguments("data", line, theCount, theArgs,
            { { "OUT.txt", "the data file to write" }, { "FOLDER", "a folder that holds valid builds" } },
            true))
        return kPackBadUsage;
    std::vector<char*> operands;
    for (const char* operand : line.Operands())
        operands.push_back(const_cast<char*>(operand));
    return WriteValidBuilds(operands[0], static_cast<int>(operands.size()) - 1, operands.data() + 1)
        ? kPackDone
        : kPackFailed;
}

int RunDumpCommand(int theCount, char** theArgs)
{
    CCommandLine line({});
    if (!ReadPackArguments("dump", line, theCount, theArgs, { { "DATA.txt", "the data file to print" } }))
        return kPackBadUsage;
    const char* dataFile = line.Operands()[0];
    CProgramList programs;
    CProgramDataReport report;
    ReadProgramData(programs, dataFile, &report);
    DumpPrograms(programs, stdout);
    if (report.IsSound())
        return kPackDone;
    std::fprintf(stderr, "patchwell-pack dump: '%s' %s\n", dataFile, report.Problem().GetText());
    return kPackFailed;
}
