#include "identification/ProgramMatch.h"

#include "identification/BundleFiles.h"

#include <cctype>
#include <strings.h>

Cstring KeepAlnum(const char* theText)
{
    Cstring kept(theText);
    char* out = kept.GetBuffer();
    for (const char* at = kept.GetText(); *at; ++at) {
        const unsigned char c = static_cast<unsigned char>(*at);
        // Bytes above 0x7F are dropped whatever the locale says of them.
        if (c < 0x80 && std::isalnum(c))
            *out++ = *at;
    }
    *out = 0;
    return kept;
}

CProgramPart* FindPartByName(const CProgram& theProgram, const char* theName)
{
    for (CProgramPart* part = theProgram.FirstPart(); part; part = CProgram::NextPart(part))
        if (strcasecmp(part->itsName.GetText(), theName) == 0)
            return part;
    return nullptr;
}

CProgramPart* FindPartByPrefix(const CProgram& theProgram, const char* thePrefix)
{
    for (CProgramPart* part = theProgram.FirstPart(); part; part = CProgram::NextPart(part))
        if (StartsWithNoCase(part->itsName.GetText(), thePrefix))
            return part;
    return nullptr;
}

bool PartsMatch(const CProgramPart& theValid, const CProgramPart* pFound)
{
    return pFound && strcasecmp(theValid.itsName.GetText(), pFound->itsName.GetText()) == 0
        && strcasecmp(theValid.itsDigest.GetText(), pFound->itsDigest.GetText()) == 0;
}

bool ProgramMatches(const CProgram& theValid, const CProgram* pFound)
{
    if (!pFound)
        return false;
    const CProgramPart* validFork = FindPartByName(theValid, "<DF>");
    const CProgramPart* foundFork = FindPartByName(*pFound, "<DF>");
    if (validFork && foundFork && PartsMatch(*validFork, foundFork))
        return true;
    const CProgramPart* executable = FindPartByPrefix(theValid, kBundleExecutableFolder);
    if (!executable)
        return false;
    const CProgramPart* found = FindPartByName(*pFound, executable->itsName.GetText());
    return found && PartsMatch(*executable, found);
}

CProgram* FindMatchingProgram(const CProgramList& theValid, const CProgram& theFound)
{
    for (CProgram* program = theValid.First(); program; program = CProgramList::Next(program))
        if (ProgramMatches(*program, &theFound))
            return program;
    return nullptr;
}
