#include "support/TreeSnapshot.h"

#include "support/TempFolder.h"

TreeSnapshot SnapshotTree(const std::filesystem::path& theRoot)
{
    TreeSnapshot snapshot;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(theRoot, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = it->path().lexically_relative(theRoot).string(); // never through a link
        if (it->is_symlink())
            snapshot[name] = "-> " + std::filesystem::read_symlink(it->path()).string();
        else if (it->is_directory())
            snapshot[name] = "/";
        else if (!it->is_regular_file())
            snapshot[name] = "<special>"; // a pipe would hang the read
        else
            snapshot[name] = ReadWholeFile(it->path().string());
    }
    return snapshot;
}

TreeSnapshot SnapshotTree(const std::filesystem::path& theRoot, const std::string& theLeftOut)
{
    TreeSnapshot snapshot = SnapshotTree(theRoot);
    snapshot.erase(theLeftOut);
    return snapshot;
}

std::set<std::string> TopNames(const std::filesystem::path& theFolder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(theFolder))
        names.insert(entry.path().filename().string());
    return names;
}
