#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <cstdio>

// Reading profile text: lines, their key/index/value split, quoted strings and
// numbers in the C library's scanf manner (but without its overflow traps).

// Room of the line buffer: longer physical lines are read in pieces.
const int kProfileLineRoom = 1024;

// The next non-empty line, without its line break. False at the end of the
// file, which also loses a last line that no line break ends.
bool ReadLine(FILE* theFile, Cstring& theLine);

// Key (letters and digits, plus "[n]" when an index follows), index (-1 when
// none) and the value with trailing blanks removed.
void ReadEntryLine(const char* theLine, Cstring& theKey, int& theIndex, Cstring& theValue);

// The string of a value: the text between double quotes, or the whole text
// after leading white space when it does not start with one. Returns where
// reading stopped (after the closing quote).
const char* ParseQuoted(const char* theValue, Cstring& theResult);

// Like scanf's "%ld": leading white space, a sign and digits. Moves theText past
// what it read; false (theText unchanged) when no number starts there. Values
// out of range are clamped instead of being undefined.
bool ScanLong(const char*& theText, long& theNumber);
bool ScanDouble(const char*& theText, double& theNumber);
