#pragma once

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Writes an archive that a test made field by field into theFolder as
// theName and returns its path. With PW_KEEP_ARCHIVES naming a folder, a
// copy goes there too, so that other zip tools can be tried on every such
// archive by hand.
std::string WriteCraftedArchive(
    const TempFolder& theFolder, const std::string& theName, const std::string& theBytes);

// Tests of archives made by hand.
class CraftedArchives : public ::testing::Test {
protected:
    // Writes theBytes so, then reads them with our reader: each entry
    // "NAME=DATA", or the error in words (ReadWithOurs). Where libzip reads
    // them otherwise, the test fails unless the difference is one that is
    // meant (MeantDifferences.h).
    std::vector<std::string> Read(
        const std::string& theName, const std::string& theBytes, const std::string& thePassword = "");

    TempFolder itsTemp;
};
