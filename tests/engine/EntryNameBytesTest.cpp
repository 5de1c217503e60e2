// Entry names are bytes: a name that is not UTF-8 is installed and logged
// exactly as the archive holds it, never converted from a guessed code page.

#include "ExtractionFixture.h"
#include "engine/UpdatePreflight.h"

#include <filesystem>

namespace {

// "Über" in ISO-8859-1: one byte, 0xDC, that is no UTF-8.
const std::string kLatinName = "\xDC"
                               "ber.txt";

class EntryNameBytes : public ExtractionTest {
protected:
    // An archive written by Info-ZIP from a file of that name, as a user's
    // tool would; in the C locale it stores the byte without the UTF-8 flag.
    std::string InfoZipArchive()
    {
        itsTemp.Write("src/NewFiles/" + kLatinName, "Latin-1 name");
        itsTemp.Write("src/NewFiles/Caf\xC3\xA9.txt", "UTF-8 name");
        const std::string archive = itsTemp / "latin.zip";
        EXPECT_EQ(RunShell("cd " + ShellQuote(itsTemp / "src") + " && LC_ALL=C zip -q -r -P "
                      + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " NewFiles"),
            0);
        return archive;
    }
};

} // namespace

TEST_F(EntryNameBytes, ExtractionWritesAndLogsTheArchivesBytes)
{
    for (const bool bAhead : { true, false }) {
        bReadAhead = bAhead;
        std::filesystem::remove_all(itsDestination);
        ASSERT_EQ(Extract(InfoZipArchive()), 1) << itsError;
        EXPECT_EQ(ListTree(itsDestination), (std::vector<std::string> { "Caf\xC3\xA9.txt", kLatinName }));
        EXPECT_EQ(ReadWholeFile(itsDestination + "/" + kLatinName), "Latin-1 name");
        EXPECT_NE(
            itsLog.find("ExtractOneFile - " + itsDestination + "/" + kLatinName + "\n"), std::string::npos)
            << itsLog;
    }
}

TEST_F(EntryNameBytes, AnUnsafeNameIsReportedWithItsBytes)
{
    itsPassword = "";
    const std::string name = "NewFiles/../" + kLatinName;
    EXPECT_EQ(Extract(WriteArchive(RawZip({ { name, "x" } }))), 0);
    EXPECT_EQ(itsError, "Unsafe file name in archive: " + name);
}

TEST_F(EntryNameBytes, ThePreflightCheckSeesTheArchivesBytes)
{
    const std::string name = "NewFiles/../" + kLatinName;
    std::filesystem::create_directories(itsDestination);
    Cstring message;
    char* logText = nullptr;
    size_t logSize = 0;
    FILE* log = open_memstream(&logText, &logSize);
    EXPECT_FALSE(PreflightUpdate(
        WriteArchive(RawZip({ { name, "x" } })).c_str(), "", itsDestination.c_str(), message, log));
    std::fclose(log);
    const std::string logged(logText, logSize);
    std::free(logText);
    EXPECT_EQ(std::string(message.GetText()), "Unsafe file name in archive: " + name);
    EXPECT_EQ(logged,
        "Opening update zip file - " + itsTemp / "archive.zip" + " succeeded\nExtractFiles failed - "
            + "Unsafe file name in archive: " + name + "\n");
}
