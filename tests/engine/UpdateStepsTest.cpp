#include "engine/UpdateSteps.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(SetFileTimestamp, ReadsSixNumbersAsLocalTime)
{
    TempFolder temp;
    const std::string file = temp.Write("Patchwell 5.app/x", "");
    const std::string bundle = temp / "Patchwell 5.app";
    ASSERT_TRUE(SetFileTimestamp(bundle.c_str(), "2010/01/01 09:00:00"));
    struct stat info;
    ASSERT_EQ(stat(bundle.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, LocalTime(2010, 1, 1, 9, 0, 0));
    EXPECT_EQ(info.st_atime, LocalTime(2010, 1, 1, 9, 0, 0));
    EXPECT_TRUE(SetFileTimestamp(file.c_str(), "2009-01-02T10:00:00"))
        << "any non-digit separates the numbers";
    EXPECT_EQ(FileDate(file), LocalTime(2009, 1, 2, 10, 0, 0));
    EXPECT_FALSE(SetFileTimestamp(file.c_str(), "")) << "no date leaves the time alone";
    EXPECT_FALSE(SetFileTimestamp((temp / "missing").c_str(), "2010/01/01 09:00:00"));
}
