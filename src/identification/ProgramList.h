#pragma once

#include "foundation/CList.h"

#include <cstdio>

// A list of program builds (valid ones from the data file, or installed copies
// found on disk). The list owns its programs. The diagnostic stream, when set,
// receives the trace lines of reading and scanning.
class CProgramList : public CList {
public:
    ~CProgramList() { DeleteAll(); }
    FILE* itsStream = nullptr;
};
