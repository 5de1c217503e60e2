#include "foundation/RegularFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

// Bundles, pictures and settings are read whole through this, from folders a
// user may have filled with anything: a pipe, which must not be waited on, a
// folder and a missing file are refused as Bitmap.WhatDoesNotLoadIsNamed and
// ProgramData.AFileThatCannotBeReadRaisesTheAlertAndLeavesTheList show.
TEST(RegularFile, ReadsWholeFilesUpToTheLimit)
{
    TempFolder temp;
    const std::string bytes = std::string("a\0b", 3) + std::string(997, 'x');
    temp.Write("file", bytes);
    std::string read = "left over";
    int error = -1;
    ASSERT_TRUE(ReadRegularFile((temp / "file").c_str(), 1000, read, error));
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(error, 0);
    EXPECT_FALSE(ReadRegularFile((temp / "file").c_str(), 999, read, error));
    EXPECT_EQ(error, EFBIG);

    temp.Write("empty", "");
    EXPECT_TRUE(ReadRegularFile((temp / "empty").c_str(), 0, read, error));
    EXPECT_EQ(read, "");

    EXPECT_FALSE(ReadRegularFile("", 1000, read, error));
    EXPECT_EQ(error, ENOENT);
}

} // namespace
