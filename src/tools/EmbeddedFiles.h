#pragma once

#include "foundation/Cstring.h"

#include <cstddef>

// A file the program carries, made from the source tree at build time.
struct CEmbeddedFile {
    const char* itsName;
    const unsigned char* itsBytes;
    std::size_t itsSize;
};

// The help pages that every update kit gets (resources/help).
extern const CEmbeddedFile kHelpPages[];
extern const std::size_t kHelpPagesCount;

// Writes the help pages into theFolder, which must not exist yet; false with
// theError set when a page cannot be written.
bool WriteHelpFolder(const char* theFolder, Cstring& theError);
