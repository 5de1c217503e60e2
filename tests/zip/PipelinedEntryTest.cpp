#include "zip/PipelinedEntry.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Decrypting on a thread of its own reads what decrypting on the reading
// thread reads, the same failures too, whatever the size of the reads,
// wherever an entry is left, and however large and small entries alternate.
class PipelinedEntry : public ::testing::Test {
protected:
    struct Reading {
        int itsOpen = 0;
        std::string itsData;
        int itsReadError = 0;
        int itsClose = 0;
    };

    // Reads entry theIndex with reads of theReadSize, at most theLimit bytes.
    static Reading Read(CEntryData& theData, const CZipArchiveFile& theArchive, uint64_t theIndex,
        size_t theReadSize, size_t theLimit = SIZE_MAX)
    {
        CZipDirectoryCursor cursor(theArchive);
        CZipEntry entry;
        int error = 0;
        for (uint64_t i = 0; i <= theIndex; ++i)
            EXPECT_TRUE(cursor.Next(entry, error));
        Reading reading;
        reading.itsOpen = theData.Open(theArchive, entry, KeyText().c_str());
        if (reading.itsOpen != 0)
            return reading;
        std::vector<char> buffer(theReadSize);
        while (reading.itsData.size() < theLimit) {
            const int64_t count = theData.Read(buffer.data(), buffer.size(), reading.itsReadError);
            if (count <= 0)
                break;
            reading.itsData.append(buffer.data(), static_cast<size_t>(count));
        }
        reading.itsClose = theData.Close();
        return reading;
    }

    TempFolder itsTemp;
    CDecodedEntry itsDecoded;
    CPipelinedEntry itsPipelined;
};

TEST_F(PipelinedEntry, ReadsWhatTheDecoderReads)
{
    // Deflated by the packing tool, and stored with a damaged CRC.
    itsTemp.Write("src/NewFiles/big.dat", RandomBytes(3 << 20, 1, 7));
    itsTemp.Write("src/NewFiles/random.dat", RandomBytes(700000, 2));
    itsTemp.Write("src/NewFiles/empty", "");
    const std::string packed = itsTemp / "packed.zip";
    ASSERT_EQ(PackArchive(packed, itsTemp / "src/NewFiles"), 0);
    const std::string raw = itsTemp.Write("raw.zip",
        RawZip({ { "a", RandomBytes(1 << 20, 3) }, { "b", RandomBytes(500000, 4), true }, { "c", "c" } },
            KeyText()));

    for (const std::string& path : { packed, raw }) {
        CZipArchiveFile archive;
        ASSERT_EQ(archive.Open(path.c_str()), 0);
        for (uint64_t i = 0; i < archive.GetEntryCount(); ++i) {
            for (const size_t readSize : { size_t { 1000 }, size_t { 16384 }, size_t { 300000 } }) {
                SCOPED_TRACE(path + " entry " + std::to_string(i) + " reads of " + std::to_string(readSize));
                const Reading decoded = Read(itsDecoded, archive, i, readSize);
                const Reading pipelined = Read(itsPipelined, archive, i, readSize);
                EXPECT_EQ(pipelined.itsOpen, decoded.itsOpen);
                EXPECT_EQ(pipelined.itsData, decoded.itsData);
                EXPECT_EQ(pipelined.itsReadError, decoded.itsReadError);
                EXPECT_EQ(pipelined.itsClose, decoded.itsClose);
            }
        }
    }
}

TEST_F(PipelinedEntry, AnEntryLeftHalfReadDoesNotSpillIntoTheNext)
{
    const std::string first = RandomBytes(2 << 20, 5);
    const std::string second = RandomBytes(1 << 20, 6);
    const std::string small = RandomBytes(100000, 7);
    const std::string path
        = itsTemp.Write("raw.zip", RawZip({ { "a", first }, { "b", second }, { "c", small } }, KeyText()));
    CZipArchiveFile archive;
    ASSERT_EQ(archive.Open(path.c_str()), 0);
    const Reading left = Read(itsPipelined, archive, 0, 4096, 10000);
    EXPECT_EQ(left.itsData, first.substr(0, 12288));
    EXPECT_EQ(left.itsClose, 0);
    // A small entry read here, between large ones decrypted beside.
    EXPECT_EQ(Read(itsPipelined, archive, 2, 65536, 50000).itsData, small.substr(0, 65536));
    EXPECT_EQ(Read(itsPipelined, archive, 1, 65536).itsData, second);
    EXPECT_EQ(Read(itsPipelined, archive, 2, 65536).itsData, small);
    EXPECT_EQ(Read(itsPipelined, archive, 0, 65536).itsData, first);
}

} // namespace
