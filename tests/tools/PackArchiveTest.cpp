#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// patchwell-pack driven as the vendor runs it.
class PackArchive : public ::testing::Test {
protected:
    int Pack(const std::string& theArguments)
    {
        const char* pack = std::getenv("PW_PACK");
        if (!pack)
            return -1;
        return RunShell(ShellQuote(pack) + " " + theArguments + " >" + ShellQuote(itsTemp / "out.txt") + " 2>"
            + ShellQuote(itsTemp / "err.txt"));
    }
    std::string Output() const { return ReadWholeFile(itsTemp / "out.txt"); }
    std::string Errors() const { return ReadWholeFile(itsTemp / "err.txt"); }

    TempFolder itsTemp;
};

TEST_F(PackArchive, UsageAndExitStatus)
{
    EXPECT_EQ(Pack("--help"), 0);
    EXPECT_THAT(Output(), HasSubstr("archive OUT.zip FOLDER"));
    EXPECT_EQ(Pack(""), 2);
    EXPECT_EQ(Pack("frobnicate"), 2);
    EXPECT_THAT(Errors(), HasSubstr("unknown command 'frobnicate'"));
    EXPECT_EQ(Pack("archive only-one"), 2);
    EXPECT_EQ(Pack("archive a.zip b c"), 2);
}

TEST_F(PackArchive, InfoZipReadsWhatItWrites)
{
    const time_t date = LocalTime(2016, 3, 4, 5, 6, 8);
    SetFileDate(itsTemp.Write("kit/Readme.txt", "read me\n"), date);
    SetFileDate(itsTemp.Write("kit/Help/zeros.bin", std::string(200000, '\0')), date);
    itsTemp.Write("kit/empty", "");
    std::filesystem::create_directories(itsTemp / "kit/Empty Folder");
    const std::string archive = itsTemp / "update.zip";
    ASSERT_EQ(Pack("archive " + ShellQuote(archive) + " " + ShellQuote(itsTemp / "kit")), 0) << Errors();
    EXPECT_LT(std::filesystem::file_size(archive), 10000u); // deflated

    // Folder entries included, all under the top folder, in name order.
    EXPECT_EQ(RunShell("unzip -Z1 " + ShellQuote(archive) + " >" + ShellQuote(itsTemp / "list.txt")), 0);
    EXPECT_EQ(ReadWholeFile(itsTemp / "list.txt"),
        "NewFiles/\nNewFiles/Empty Folder/\nNewFiles/Help/\nNewFiles/Help/zeros.bin\nNewFiles/Readme.txt\n"
        "NewFiles/empty\n");

    // Protected: the wrong password gets nothing out; the key text everything.
    const std::string into = itsTemp / "x";
    EXPECT_NE(
        RunShell("unzip -q -o -P wrong " + ShellQuote(archive) + " -d " + ShellQuote(into) + " 2>/dev/null"),
        0);
    EXPECT_FALSE(std::filesystem::exists(into + "/NewFiles/Readme.txt"));
    ASSERT_EQ(RunShell("unzip -q -o -P " + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " -d "
                  + ShellQuote(into)),
        0);
    EXPECT_EQ(ListTree(into + "/NewFiles"), ListTree(itsTemp / "kit"));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Help/zeros.bin"), std::string(200000, '\0'));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Readme.txt"), "read me\n");
    EXPECT_EQ(FileDate(into + "/NewFiles/Readme.txt"), date);
}

TEST_F(PackArchive, FailureLeavesTheOldArchive)
{
    const std::string archive = itsTemp.Write("update.zip", "previous");
    EXPECT_EQ(Pack("archive " + ShellQuote(archive) + " " + ShellQuote(itsTemp / "missing")), 1);
    EXPECT_THAT(Errors(), HasSubstr("is not a folder"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");

    // A name the updater would refuse is not packed either.
    itsTemp.Write("kit/back\\slash.txt", "x");
    EXPECT_EQ(Pack("archive " + ShellQuote(archive) + " " + ShellQuote(itsTemp / "kit")), 1);
    EXPECT_THAT(Errors(), HasSubstr("refuses the entry name 'NewFiles/back\\slash.txt'"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");
}

TEST_F(PackArchive, ArchiveInsideItsOwnFolderDoesNotPackItself)
{
    itsTemp.Write("kit/a.txt", "a");
    const std::string archive = itsTemp / "kit/update.zip";
    ASSERT_EQ(Pack("archive " + ShellQuote(archive) + " " + ShellQuote(itsTemp / "kit")), 0) << Errors();
    ASSERT_EQ(Pack("archive " + ShellQuote(archive) + " " + ShellQuote(itsTemp / "kit")), 0) << Errors();
    EXPECT_EQ(RunShell("unzip -Z1 " + ShellQuote(archive) + " >" + ShellQuote(itsTemp / "list.txt")), 0);
    EXPECT_EQ(ReadWholeFile(itsTemp / "list.txt"), "NewFiles/\nNewFiles/a.txt\n");
}

} // namespace
