#include "support/CraftedArchive.h"

#include "support/ReaderComparison.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

std::string WriteCraftedArchive(
    const TempFolder& theFolder, const std::string& theName, const std::string& theBytes)
{
    if (const char* keep = std::getenv("PW_KEEP_ARCHIVES"); keep && *keep) {
        std::filesystem::create_directories(keep);
        std::ofstream(std::filesystem::path(keep) / theName, std::ios::binary) << theBytes;
    }
    return theFolder.Write(theName, theBytes);
}

std::vector<std::string> CraftedArchives::Read(
    const std::string& theName, const std::string& theBytes, const std::string& thePassword)
{
    const std::string path = WriteCraftedArchive(itsTemp, theName, theBytes);
    EXPECT_EQ(CompareReaders(path, thePassword), "") << theName;
    return ReadWithOurs(path, thePassword, true);
}
