#pragma once

#include "foundation/CList.h"
#include "foundation/Cstring.h"
#include "identification/Program.h"
#include "identification/ProgramPart.h"

#include <cstdio>

// A list of program builds (valid ones from the data file, or installed copies
// found on disk). The list owns its programs. The diagnostic stream, when set,
// receives the trace lines of reading and scanning; it is not owned.
class CProgramList : public CList {
public:
    CProgramList() = default;
    ~CProgramList() { DeleteAll(); }

    CProgram* First() const { return static_cast<CProgram*>(GetHead()); }
    static CProgram* Next(const CProgram* pProgram) { return static_cast<CProgram*>(pProgram->GetNext()); }

    FILE* itsStream = nullptr;
};

// A trace line to pStream; nothing when it is null (no flow of the updater
// opens one, so tracing costs a test and nothing more).
void TraceTo(FILE* pStream, const char* theFormat, ...) __attribute__((format(printf, 2, 3)));

// The first program whose folder equals thePath ignoring case, or null.
CProgram* FindProgramByFolder(const CProgramList& theList, const char* thePath);
// The greatest date text of the list (the latest time), empty for an empty list.
Cstring LatestProgramDate(const CProgramList& theList);
