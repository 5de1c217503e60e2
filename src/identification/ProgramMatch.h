#pragma once

#include "foundation/Cstring.h"
#include "identification/ProgramList.h"

// Whether an installed copy is a valid build. Names and digests are compared
// ignoring case; a bundle is judged by its executable alone, an old-style
// program by its data fork alone.

// Only the ASCII letters and digits of theText, in order ("Patchwell 5" gives
// "Patchwell5").
Cstring KeepAlnum(const char* theText);

CProgramPart* FindPartByName(const CProgram& theProgram, const char* theName);
CProgramPart* FindPartByPrefix(const CProgram& theProgram, const char* thePrefix);
// True when pFound exists and has pValid's name and digest.
bool PartsMatch(const CProgramPart& theValid, const CProgramPart* pFound);
// True when pFound is the same build as theValid.
bool ProgramMatches(const CProgram& theValid, const CProgram* pFound);
// The first record of theValid that theFound matches, or null.
CProgram* FindMatchingProgram(const CProgramList& theValid, const CProgram& theFound);
