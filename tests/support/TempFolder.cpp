#include "support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pwtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    itsPath = pattern;
}

TempFolder::~TempFolder()
{
    // Tests make folders read-only to provoke failures; give the rights back
    // so the whole tree can go.
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(
             itsPath, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_directory(error) && !it->is_symlink(error))
            chmod(it->path().c_str(), 0755);
    chmod(itsPath.c_str(), 0755);
    std::filesystem::remove_all(itsPath, error);
}

std::string TempFolder::Write(const std::string& theName, const std::string& theContents) const
{
    const std::filesystem::path path = itsPath / theName;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << theContents;
    return path.string();
}

std::string ReadWholeFile(const std::string& thePath)
{
    std::ifstream in(thePath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}
