#include "engine/SafeEntryName.h"

#include <gtest/gtest.h>

TEST(SafeEntryName, OrdinaryNamesPass)
{
    for (const char* name : { "", "a", "a/", "a/b/c.txt", ".hidden", "a/.b", "a..b", "...", "a/b..", "ab:c",
             "Patchwell 5.app/Contents/MacOS/Patchwell 5" })
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
}

TEST(SafeEntryName, NamesThatLeaveTheFolderAreRefused)
{
    for (const char* name : { "/etc/passwd", "//tmp/x", "..", "../x", "a/../../x", "a/..", "..\\x", "a\\b",
             "C:/x", "c:x", ".", "./x", "a/./b", "a//b", "a/b//", "/" })
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    EXPECT_FALSE(IsSafeEntryName(nullptr));
}
