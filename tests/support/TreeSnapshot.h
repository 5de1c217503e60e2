#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Every file and folder under a root, by relative path: a folder maps to "/",
// a file to its contents, a link to "-> target", a pipe or device to
// "<special>". Two snapshots compare equal exactly when the trees hold the
// same names and bytes.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot SnapshotTree(const std::filesystem::path& theRoot);

// The same less the top-level file theLeftOut, such as the log every run writes.
TreeSnapshot SnapshotTree(const std::filesystem::path& theRoot, const std::string& theLeftOut);

// The names directly in theFolder.
std::set<std::string> TopNames(const std::filesystem::path& theFolder);
