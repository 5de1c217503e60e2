#include "engine/UpdateSteps.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sys/stat.h>

TEST(BackupFile, MovesTheBundleToAFreeNumberedName)
{
    TempFolder temp;
    temp.Write("Patchwell 5.app/Contents/Info.plist", "old");
    const std::string logPath = temp / "log.txt";
    FILE* log = std::fopen(logPath.c_str(), "w");
    Cstring backup;
    ASSERT_EQ(BackupFile((temp / "Patchwell 5.app").c_str(), log, &backup), 1);
    std::fclose(log);

    EXPECT_TRUE(std::regex_match(backup.GetText(), std::regex(".*/Patchwell 5_Backup_[0-9]{4}\\.app")))
        << backup.GetText();
    EXPECT_EQ(ReadWholeFile(std::string(backup.GetText()) + "/Contents/Info.plist"), "old");
    EXPECT_FALSE(std::filesystem::exists(temp / "Patchwell 5.app"));
    EXPECT_EQ(ReadWholeFile(logPath),
        "Rename of " + (temp / "Patchwell 5.app") + " to " + backup.GetText() + " succeeded\n");

    // The ending is taken only from a dot after the start.
    temp.Write("Patchwell", "program");
    ASSERT_EQ(BackupFile((temp / "Patchwell").c_str(), nullptr, &backup), 1);
    EXPECT_TRUE(std::regex_match(backup.GetText(), std::regex(".*/Patchwell_Backup_[0-9]{4}")))
        << backup.GetText();
}

TEST(BackupFile, ATakenNameFailsAndReplacesNothing)
{
    // Every one of the thousand names is taken: each attempt must fail and
    // leave both the program and the earlier backups as they were.
    TempFolder temp;
    temp.Write("Patchwell.old", "current");
    for (int n = 0; n < 1000; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Patchwell_Backup_%04d.old", n);
        temp.Write(name, "earlier backup");
    }
    const std::string logPath = temp / "log.txt";
    FILE* log = std::fopen(logPath.c_str(), "w");
    for (int attempt = 0; attempt < 25; ++attempt)
        EXPECT_EQ(BackupFile((temp / "Patchwell.old").c_str(), log), 0);
    std::fclose(log);
    EXPECT_EQ(ReadWholeFile(temp / "Patchwell.old"), "current");
    EXPECT_EQ(ReadWholeFile(temp / "Patchwell_Backup_0042.old"), "earlier backup");
    const std::string logText = ReadWholeFile(logPath);
    EXPECT_EQ(std::count(logText.begin(), logText.end(), '\n'), 25);
    EXPECT_EQ(logText.find("succeeded"), std::string::npos);
}

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
