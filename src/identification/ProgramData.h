#pragma once

#include "identification/ProgramList.h"

// Appends the records of the data file at thePath to theList.
void ReadProgramData(CProgramList& theList, const char* thePath);
// The plaintext of the data file, one record per line.
void DumpPrograms(CProgramList& theList, FILE* theStream);
