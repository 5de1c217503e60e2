// Entry names are bytes: a name that is not UTF-8 is reported exactly as the
// archive holds it, never converted from a guessed code page. How such a name
// is installed and logged is UpdateKit.AnInfoZipArchiveWithALatinOneNameIsInstalledByteForByte's.

#include "ExtractionFixture.h"
#include "engine/UpdatePreflight.h"

#include <filesystem>

namespace {

// "Über" in ISO-8859-1: one byte, 0xDC, that is no UTF-8.
const std::string kLatinName = "\xDC"
                               "ber.txt";

using EntryNameBytes = ExtractionTest;

} // namespace

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
