#include "foundation/PathAttributes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(PathAttributes, FoldersFilesLockedItemsAndNewFolders)
{
    TempFolder folder;
    const std::string file = folder.Write("file", "");
    EXPECT_EQ(GetPathAttributes(folder.Path().c_str()), kPathIsFolder);
    EXPECT_EQ(GetPathAttributes(file.c_str()), 0);
    EXPECT_EQ(GetPathAttributes((folder / "missing").c_str()), -1);
    EXPECT_EQ(GetPathAttributes(""), -1);
    EXPECT_EQ(GetPathAttributes(nullptr), -1);
    chmod(file.c_str(), 0444);
    if (geteuid() != 0) {
        EXPECT_EQ(GetPathAttributes(file.c_str()), kPathIsLocked);
    }
    // CreateFolder makes one level.
    EXPECT_TRUE(CreateFolder((folder / "new").c_str()));
    EXPECT_TRUE(CreateFolder((folder / "new").c_str())) << "an existing folder is success";
    EXPECT_FALSE(CreateFolder(file.c_str()));
    EXPECT_FALSE(CreateFolder((folder / "no/parent").c_str()));
    EXPECT_FALSE(CreateFolder(""));
}
