#pragma once

#include "engine/KitSignature.h"

#include <string>

// Writes the signature file of the kit in theKitFolder, replacing any: the
// manifest of the files the updater reads, dated with the newest build the
// kit's data.txt lists (the build the kit brings), signed with theSecret.
// The file appears whole or not at all. theManifest is what was signed;
// false with theProblem naming the file and what failed.
// With theBuildDate, the manifest carries that date instead: the date of
// the build in the archive, which a copy compares with its own to refuse
// going back to an older build.
bool SignKitFolder(const char* theKitFolder, const Ed25519Key& theSecret, KitManifest& theManifest,
    std::string& theProblem, const char* theBuildDate = nullptr);
