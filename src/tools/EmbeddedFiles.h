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

// The files that start the updater from a kit's folder (resources/kit).
extern const CEmbeddedFile kLauncherFiles[];
extern const std::size_t kLauncherFilesCount;

// Writes the help pages into theFolder, which must not exist yet; false with
// theError set when a page cannot be written.
bool WriteHelpFolder(const char* theFolder, Cstring& theError);

// Writes the launcher files into the kit's folder theFolder, executable, with
// the kit's name in the desktop entry; false with theError set on failure.
bool WriteLauncher(const char* theFolder, const char* theKitName, Cstring& theError);
