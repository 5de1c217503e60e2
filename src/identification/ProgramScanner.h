#pragma once

#include "identification/ProgramList.h"

#include <cstdio>
#include <stop_token>

// Finds installed copies of the program: entries whose names, reduced to
// letters and digits, are those of the program, described part by part and
// kept when they are a valid build. Trace lines go to the list's stream.

// The reduced names looked for, in order, ended by null.
extern const char* const gValidProgramNames[];
// A folder whose path, upper-cased and without spaces, holds this belongs to
// a companion program and is never scanned.
extern const char kCompanionMarker[];

// ProcessDirectory of every subfolder of theFolder; a program lying in
// theFolder itself is not looked at. Returns the number of records appended.
// Once theStop is asked for, it ends soon with what it has; the records it
// then appends are not whole.
int ScanDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown = nullptr, std::stop_token theStop = {});

// Appends the candidates among the entries of theFolder (not descending into
// subfolders). With theNames, only entries whose reduced name (with theValid)
// or whole name (without) is in the table; with theValid, only those matching
// one of its records: the others go to pUnknown when given, else are
// dropped. Without theNames, every entry that is not a folder. Returns the
// number of records appended to theList.
int ProcessDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown = nullptr);

// Describes the program file or ".app" bundle at thePath: name, folder,
// date, executable, size and every part with its digest. Always 1.
int ScanFile(CProgram& theProgram, const char* thePath, FILE* pTrace);
