// patchwell-pack archive driven as the vendor runs it.

#include "support/RanProgram.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class PackArchive : public ::testing::Test {
protected:
    // patchwell-pack archive theArchive theFolder (under the temporary folder).
    ProgramRun Pack(const std::string& theArchive, const std::string& theFolder)
    {
        return RunProgram(ProgramFromEnvironment("PW_PACK") + " archive " + ShellQuote(itsTemp / theArchive)
            + " " + ShellQuote(itsTemp / theFolder));
    }

    TempFolder itsTemp;
};

TEST_F(PackArchive, InfoZipReadsWhatItWrites)
{
    const time_t date = LocalTime(2016, 3, 4, 5, 6, 8);
    SetFileDate(itsTemp.Write("kit/Readme.txt", "read me\n"), date);
    SetFileDate(itsTemp.Write("kit/Help/zeros.bin", std::string(200000, '\0')), date);
    itsTemp.Write("kit/empty", "");
    std::filesystem::create_directories(itsTemp / "kit/Empty Folder");
    const std::string archive = itsTemp / "update.zip";
    ASSERT_TRUE(Ran(Pack("update.zip", "kit"), 0));
    EXPECT_LT(std::filesystem::file_size(archive), 10000u); // deflated

    // The entries' order is Extraction.ArchiveFromPackRoundTrips's.
    // Protected: the wrong password gets nothing out; the key text everything.
    const std::string into = itsTemp / "x";
    EXPECT_NE(
        RunProgram("unzip -q -o -P wrong " + ShellQuote(archive) + " -d " + ShellQuote(into) + " 2>/dev/null")
            .status,
        0);
    EXPECT_FALSE(std::filesystem::exists(into + "/NewFiles/Readme.txt"));
    ASSERT_EQ(RunProgram("unzip -q -o -P " + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " -d "
                  + ShellQuote(into))
                  .status,
        0);
    EXPECT_EQ(ListTree(into + "/NewFiles"), ListTree(itsTemp / "kit"));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Help/zeros.bin"), std::string(200000, '\0'));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Readme.txt"), "read me\n");
    EXPECT_EQ(FileDate(into + "/NewFiles/Readme.txt"), date);
}

TEST_F(PackArchive, FailureLeavesTheOldArchive)
{
    const std::string archive = itsTemp.Write("update.zip", "previous");
    EXPECT_TRUE(Ran(Pack("update.zip", "missing"), 1, "is not a folder"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");

    // A name the updater would refuse is not packed either.
    itsTemp.Write("kit/back\\slash.txt", "x");
    EXPECT_TRUE(Ran(Pack("update.zip", "kit"), 1, "refuses the entry name 'NewFiles/back\\slash.txt'"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");
}

TEST_F(PackArchive, ArchiveInsideItsOwnFolderDoesNotPackItself)
{
    itsTemp.Write("kit/a.txt", "a");
    ASSERT_TRUE(Ran(Pack("kit/update.zip", "kit"), 0));
    ASSERT_TRUE(Ran(Pack("kit/update.zip", "kit"), 0));
    EXPECT_EQ(RunProgram("unzip -Z1 " + ShellQuote(itsTemp / "kit/update.zip")).output,
        "NewFiles/\nNewFiles/a.txt\n");
}

} // namespace
