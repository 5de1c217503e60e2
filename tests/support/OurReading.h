#pragma once

#include <string>
#include <vector>

// What our reader makes of the archive at thePath: each entry's data, or
// "error N: WORDS" for an entry that fails; one "open error N: WORDS" when
// the archive does not open.
std::vector<std::string> ReadWithOurs(const std::string& thePath, const std::string& thePassword);

// The same with each entry's name: "NAME=DATA".
std::vector<std::string> ReadNamedWithOurs(const std::string& thePath, const std::string& thePassword);
