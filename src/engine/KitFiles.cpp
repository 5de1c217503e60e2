#include "engine/KitFiles.h"

#include "engine/UpdateKit.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

bool KitFilesRead(const char* theKitFolder, std::vector<std::string>& theNames, std::string& theProblem)
{
    theNames.clear();
    const CUpdateKit kit = CUpdateKit::InFolder(theKitFolder);
    if (kit.HasArchive())
        theNames.push_back(fs::path(kit.itsArchive.GetText()).filename().string());
    for (const char* name : { "data.txt", "readme.txt" })
        if (std::error_code error; fs::is_regular_file(fs::path(theKitFolder) / name, error))
            theNames.push_back(name);
    std::error_code error;
    const fs::path help = fs::path(theKitFolder) / "Help";
    if (fs::is_directory(fs::symlink_status(help, error))) {
        for (fs::recursive_directory_iterator page(help, error), end; !error && page != end;
             page.increment(error))
            if (page->is_regular_file(error) && !page->is_symlink(error))
                theNames.push_back(fs::relative(page->path(), theKitFolder, error).generic_string());
        if (error) {
            theProblem = "cannot list the help pages in " + help.string() + ": " + error.message();
            return false;
        }
    }
    std::sort(theNames.begin(), theNames.end());
    return true;
}

bool DigestKitFiles(const char* theKitFolder, const std::string& theBuildDate, KitManifest& theManifest,
    std::string& theProblem, const std::vector<KitFileDigest>& theKnown)
{
    std::vector<std::string> names;
    if (!KitFilesRead(theKitFolder, names, theProblem))
        return false;
    theManifest = KitManifest();
    theManifest.itsBuildDate = theBuildDate;
    for (const std::string& name : names) {
        const auto known = std::find_if(theKnown.begin(), theKnown.end(),
            [&name](const KitFileDigest& theFile) { return theFile.itsName == name; });
        if (known != theKnown.end()) {
            theManifest.itsFiles.push_back(*known);
            continue;
        }
        const fs::path path = fs::path(theKitFolder) / name;
        // Non-blocking: a pipe given a help page's name cannot hang the read.
        const int file = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        KitFileDigest digest;
        digest.itsName = name;
        const bool bRead = file != -1 && DigestFile(file, digest.itsDigest, digest.itsSize);
        const int error = errno;
        if (file != -1)
            close(file);
        if (!bRead) {
            theProblem = "cannot read " + path.string() + ": " + std::strerror(error);
            return false;
        }
        theManifest.itsFiles.push_back(digest);
    }
    return true;
}
