#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

class CProgramList;

// Makes a small but realistic build of Patchwell in theFolder ("Patchwell
// 5.app" and a Help folder beside it) with the demo's own script, every file
// dated theDate ("2026-01-02 03:04:05"); with theKey (a public key in
// base64), its Info.plist names the key that signs its updates. True when
// the script succeeded.
bool MakeDemoBuild(const std::string& theFolder, const std::string& theVersion, const std::string& theDate,
    const std::string& theKey = "");

// Appends to theList each version's scanned program, from the build laid out
// as "theBuilds/VERSION/Patchwell 5/Patchwell 5.app".
void ScanBuilds(CProgramList& theList, const std::filesystem::path& theBuilds,
    std::initializer_list<const char*> theVersions);
