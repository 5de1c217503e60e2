#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Opens thePath for reading only when it is a regular file. Opening a FIFO or
// a device could block or never end, and a folder opens but cannot be read,
// so these are refused without waiting: null with theError set to an errno
// value (EISDIR for a folder, EINVAL for anything else that is not a file).
FILE* OpenRegularFile(const char* thePath, const char* theMode, int& theError);

// The system's text for an error of OpenRegularFile, with "not a regular
// file" in place of the generic text of EINVAL.
const char* RegularFileErrorText(int theError);

// The whole of the regular file thePath, opened as OpenRegularFile does, when
// it holds at most theLimit bytes: false otherwise, with theError an errno
// value (EFBIG beyond the limit).
bool ReadRegularFile(const char* thePath, size_t theLimit, std::string& theBytes, int& theError);
