#pragma once

#include "identification/ProgramList.h"

// The executable names of Patchwell builds, null-terminated.
extern const char* const gValidProgramNames[];

// Appends to theList every copy of Patchwell found in the folders of
// theFolder; with theValid, only copies matching a valid build. Returns the
// number of records appended.
int ScanDirectory(
    CProgramList& theList, const char* theFolder, const char* const* theNames, CProgramList* theValid);
