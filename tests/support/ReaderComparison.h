#pragma once

#include "support/MeantDifferences.h"

#include <cstddef>
#include <string>
#include <vector>

// Reads an archive with our reader and with libzip, the way the extractor
// opens it (read-only, consistency checks on), and says where they differ:
// the entries' names, sizes, CRCs, dates and count, and every entry's data
// or the error code that stops it. Our decoder is also run stage by stage
// with input and output in odd-sized pieces, which must change nothing.
// The differences that are meant (MeantDifferences.h) are accepted. Empty
// when the readers agree; otherwise one line per difference.
std::string CompareReaders(const std::string& theArchivePath, const std::string& thePassword);

// What our reader makes of the archive at thePath: each entry's data (with
// bNamed, "NAME=DATA"), or "error N: WORDS" for an entry that fails; one
// "open error N: WORDS" when the archive does not open.
std::vector<std::string> ReadWithOurs(
    const std::string& thePath, const std::string& thePassword, bool bNamed = false);
