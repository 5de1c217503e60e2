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

// The language files that come with the updater (resources/languages).
extern const CEmbeddedFile kLanguageFiles[];
extern const std::size_t kLanguageFilesCount;

// Writes theFiles into theFolder, which must not exist yet; false with
// theError set when a file cannot be written.
bool WriteEmbeddedFolder(
    const char* theFolder, const CEmbeddedFile* theFiles, std::size_t theCount, Cstring& theError);

// Writes the launcher files into the kit's folder theFolder, executable, with
// the kit's name in the desktop entry; false with theError set on failure.
bool WriteLauncher(const char* theFolder, const char* theKitName, Cstring& theError);
