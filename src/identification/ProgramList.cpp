#include "identification/ProgramList.h"

#include <cstdarg>
#include <strings.h>

void TraceTo(FILE* pStream, const char* theFormat, ...)
{
    if (!pStream)
        return;
    va_list args;
    va_start(args, theFormat);
    std::vfprintf(pStream, theFormat, args);
    va_end(args);
}

CProgram* FindProgramByFolder(const CProgramList& theList, const char* thePath)
{
    if (!thePath)
        return nullptr;
    for (CProgram* program = theList.First(); program; program = CProgramList::Next(program))
        if (strcasecmp(program->itsFolder.GetText(), thePath) == 0)
            return program;
    return nullptr;
}

Cstring LatestProgramDate(const CProgramList& theList)
{
    Cstring latest;
    for (CProgram* program = theList.First(); program; program = CProgramList::Next(program))
        if (strcasecmp(program->itsDate.GetText(), latest.GetText()) > 0)
            latest = program->itsDate;
    return latest;
}
