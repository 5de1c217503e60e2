#pragma once

#include "foundation/CList.h"
#include "foundation/Cstring.h"

#include <cstdint>
#include <cstdio>

class CProgram;

// The field separator of the record texts. There is no escaping: a field
// holding it cannot be stored.
const char kFieldSeparator = '|';

// One file of a program: a path inside a bundle, or "<DF>"/"<RF>" for the
// forks of an old-style program, with its byte count and MD5 digest text.
class CProgramPart : public CListItem {
public:
    CProgramPart(CProgram* pOwner, const char* theName, int32_t theSize, const char* theDigest);
    // Parses "name|size|digest"; pStream, when given, receives the trace line.
    explicit CProgramPart(const char* theText, FILE* pStream = nullptr);
    ~CProgramPart() override = default;

    // "name|size|digest"
    Cstring AsText() const;

    CProgram* itsOwner = nullptr; // not owned
    Cstring itsName;
    Cstring itsDigest; // 32 upper-case hex characters, empty when unreadable
    int32_t itsSize = 0;
};

// A signed decimal at the start of theText ("12abc" is 12), 0 when there is
// none; values beyond 32 bits are clamped.
int32_t ParseSize(const char* theText);
