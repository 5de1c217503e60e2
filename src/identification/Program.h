#pragma once

#include "foundation/CList.h"
#include "foundation/Cstring.h"

#include <cstdint>

class CProgramPart;

// One build of the program, as listed in the data file or found on disk,
// with its parts in the order they were added. It owns its parts.
class CProgram : public CListItem {
public:
    CProgram() = default;
    ~CProgram() override;

    // "name|date|size|executable|folder", without the "File=" of a data line.
    Cstring AsText() const;
    // The reverse of AsText. Fewer than five fields leave the record empty;
    // fields past the fifth are ignored. The parts are not touched.
    void Parse(const char* theText);

    // Links pPart (whose owner becomes this program) at the end of the parts.
    void AddPart(CProgramPart* pPart);
    CProgramPart* FirstPart() const;
    static CProgramPart* NextPart(const CProgramPart* pPart);

    Cstring itsName; // file or bundle name as found on disk
    Cstring itsFolder; // without a trailing separator
    Cstring itsExecutable; // a bundle's executable name; empty for old-style programs
    Cstring itsDate; // "YYYY/MM/DD hh:mm:ss" local time, or empty
    int32_t itsSize = 0; // sum of the part sizes
    CList itsParts;
};
