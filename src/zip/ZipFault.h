#pragma once

#include <cstdint>
#include <string>

struct CZipEntry;

// The words that go with a ZipError, for logs and messages that must say
// more than a number: which check failed, on what, and where in the file.
// Each reads "what failed (where)", for example "the local header's name
// differs from the directory's (entry NewFiles/a, local header at offset 0)".

// printf into a string.
std::string FaultText(const char* theFormat, ...) __attribute__((format(printf, 1, 2)));

// "entry NAME, local header at offset N": where a failure of an entry lies.
std::string EntryPlace(const CZipEntry& theEntry);

// A read of theWhat that failed with theCode: "the file ends inside theWhat"
// or "reading theWhat failed".
std::string ReadFailure(int theCode, const char* theWhat);

// ": theFailure", to follow a message's own text and number ("Unable to open
// compressed file (21): ..."); empty when there are no words.
std::string WithFailure(const std::string& theFailure);
