#pragma once

#include "identification/ProgramList.h"

#include <cstdio>

// The program data file: one record a line, each Twofish-enciphered and
// written as base64; every program line ("File=" and the program text) is
// followed by the lines of its parts.

// Appends the records of the file at thePath to theList, tracing every step
// to the list's stream. A file that cannot be opened is reported in an alert
// and leaves the list as it was; malformed lines yield empty records.
void ReadProgramData(CProgramList& theList, const char* thePath);

// Writes theList to thePath, replacing what was there. Returns 1 when the
// file was written; 0 when it could not be, or when a record cannot be read
// back as written (a field holding "|", or a line too long for the reader),
// in which case nothing is touched and pReason, when given, says why.
int WriteProgramData(const CProgramList& theList, const char* thePath, Cstring* pReason = nullptr);

// The plaintext of the data file, one record per line.
void DumpPrograms(const CProgramList& theList, FILE* theStream);
