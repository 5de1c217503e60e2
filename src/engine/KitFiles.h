#pragma once

#include "engine/KitSignature.h"

#include <string>
#include <vector>

// The files of a kit that the updater reads, by their names relative to the
// kit's folder, in name order: the update archive (the first ".zip" there),
// "data.txt", "readme.txt" and every regular file beneath "Help". A signed
// manifest must list exactly these; the program files beside them are not
// read by the updater and are not listed.
bool KitFilesRead(const char* theKitFolder, std::vector<std::string>& theNames, std::string& theProblem);

// The manifest of the kit in theKitFolder as it is now: the size and SHA-256
// of each of its files read; false with theProblem naming the file. A file
// that theKnown holds is taken as it says (a caller that read it already
// checks what it read, not what the name holds by now).
bool DigestKitFiles(const char* theKitFolder, const std::string& theBuildDate, KitManifest& theManifest,
    std::string& theProblem, const std::vector<KitFileDigest>& theKnown = {});
