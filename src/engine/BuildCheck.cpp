#include "engine/BuildCheck.h"

#include "identification/Program.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramPart.h"
#include "identification/ProgramScanner.h"

#include <strings.h>

const CProgram* NewestValidBuild(const CProgramList& theValid)
{
    const Cstring date = LatestProgramDate(theValid);
    for (const CProgram* program = theValid.First(); program; program = CProgramList::Next(program))
        if (strcasecmp(program->itsDate.GetText(), date.GetText()) == 0)
            return program;
    return nullptr;
}

bool BundleMatchesBuild(const char* theBundlePath, const CProgram& theBuild, Cstring& theProblem)
{
    CProgram installed;
    ScanFile(installed, theBundlePath, nullptr);
    int listed = 0;
    for (const CProgramPart* part = theBuild.FirstPart(); part; part = CProgram::NextPart(part)) {
        ++listed;
        const CProgramPart* found = FindPartByName(installed, part->itsName.GetText());
        if (!found) {
            theProblem.Format("%s is missing", part->itsName.GetText());
            return false;
        }
        if (!PartsMatch(*part, found)) {
            theProblem.Format("%s differs", part->itsName.GetText());
            return false;
        }
    }
    for (const CProgramPart* part = installed.FirstPart(); part; part = CProgram::NextPart(part))
        if (!FindPartByName(theBuild, part->itsName.GetText())) {
            theProblem.Format("%s is not part of the build", part->itsName.GetText());
            return false;
        }
    return listed > 0 || installed.FirstPart() == nullptr;
}
