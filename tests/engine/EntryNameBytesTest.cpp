// Entry names are bytes: a name that is not UTF-8 is installed and logged
// exactly as the archive holds it, never converted from a guessed code page.

#include "ExtractionFixture.h"
#include "engine/UpdatePreflight.h"

#include <filesystem>
#include <gmock/gmock.h>

namespace {

// "Über" in ISO-8859-1: one byte, 0xDC, that is no UTF-8.
const std::string kLatinName = "\xDC"
                               "ber.txt";

using EntryNameBytes = ExtractionTest;

} // namespace

// An archive written by Info-ZIP from a file of that name, as a user's tool
// would; in the C locale it stores the byte without the UTF-8 flag.
TEST_F(EntryNameBytes, ExtractionWritesAndLogsTheArchivesBytes)
{
    itsTemp.Write("src/NewFiles/" + kLatinName, "Latin-1 name");
    itsTemp.Write("src/NewFiles/Caf\xC3\xA9.txt", "UTF-8 name");
    const std::string archive = itsTemp / "latin.zip";
    ASSERT_EQ(RunProgram("cd " + ShellQuote(itsTemp / "src") + " && LC_ALL=C zip -q -r -P "
                  + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " NewFiles")
                  .status,
        0);
    for (const bool bAhead : { true, false }) {
        bReadAhead = bAhead;
        std::filesystem::remove_all(itsDestination);
        ASSERT_EQ(Extract(archive), 1) << itsError;
        EXPECT_EQ(ListTree(itsDestination), (std::vector<std::string> { "Caf\xC3\xA9.txt", kLatinName }));
        EXPECT_EQ(ReadWholeFile(itsDestination + "/" + kLatinName), "Latin-1 name");
        EXPECT_THAT(
            itsLog, ::testing::HasSubstr("ExtractOneFile - " + itsDestination + "/" + kLatinName + "\n"));
    }
}

TEST_F(EntryNameBytes, AnUnsafeNameIsReportedWithItsBytes)
{
    itsPassword = "";
    const std::string name = "NewFiles/../" + kLatinName;
    EXPECT_EQ(Extract(WriteArchive(RawZip({ { name, "x" } }))), 0);
    EXPECT_EQ(itsError, "Unsafe file name in archive: " + name);

    std::filesystem::create_directories(itsDestination);
    Cstring message;
    TraceCapture log;
    // The check before the run sees the same bytes.
    EXPECT_FALSE(PreflightUpdate(
        (itsTemp / "archive.zip").c_str(), "", itsDestination.c_str(), message, log.Stream()));
    EXPECT_EQ(std::string(message.GetText()), "Unsafe file name in archive: " + name);
    EXPECT_EQ(log.Text(),
        "Opening update zip file - " + itsTemp / "archive.zip" + " succeeded\nExtractFiles failed - "
            + "Unsafe file name in archive: " + name + "\n");
}
