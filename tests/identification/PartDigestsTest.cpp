#include "identification/PartDigests.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h" // RandomBytes

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Digest {
    int32_t count;
    std::string text;
};

Digest DigestOf(const std::string& thePath)
{
    char text[kDigestTextRoom] = {};
    const int32_t count = DigestFile(thePath.c_str(), text);
    return { count, text };
}

} // namespace

TEST(DigestFile, KnownDigestsAndCountsAndReadUnitBoundaries)
{
    TempFolder folder;
    EXPECT_EQ(DigestOf(folder.Write("empty", "")).text, "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(DigestOf(folder.Write("empty", "")).count, 0);
    const Digest abc = DigestOf(folder.Write("abc", "abc"));
    EXPECT_EQ(abc.count, 3);
    EXPECT_EQ(abc.text, "900150983CD24FB0D6963F7D28E17F72");

    // Lengths around the 1024-byte read unit, against the digest of the same
    // bytes fed through a stream in one go.
    for (const size_t length : { 1023u, 1024u, 1025u, 3 * 1024u, 70000u }) {
        std::string bytes = RandomBytes(length, 3);
        const Digest digest = DigestOf(folder.Write("data", bytes));
        EXPECT_EQ(digest.count, static_cast<int32_t>(length));
        FILE* stream = fmemopen(bytes.data(), bytes.size(), "r");
        char expected[kDigestTextRoom] = {};
        EXPECT_EQ(DigestStream(stream, expected), static_cast<int32_t>(length));
        std::fclose(stream);
        EXPECT_EQ(digest.text, expected) << length;
    }
}

// Missing parts and pipes, which would block a reader for good, are
// DigestFiles.EachResultIsThatOfDigestFile's; the resource fork a Linux file
// lacks is ScannerTest.FindsCopiesInSubfoldersOnly's.
TEST(DigestFile, UnreadablePartsGiveNothing)
{
    TempFolder folder;
    const std::string locked = folder.Write("locked", "secret");
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) { // root reads it anyway
        EXPECT_EQ(DigestOf(locked).text, "");
    }
}

TEST(DigestFiles, EachResultIsThatOfDigestFile)
{
    // Many more files than the cores have lanes, of lengths around the
    // digest's blocks and the readers' buffers, with parts that cannot be
    // read in between: each result must be the one DigestFile gives.
    TempFolder folder;
    CStringArray files;
    const std::string bytes = RandomBytes(300000, 3);
    const size_t lengths[]
        = { 0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 1023, 32767, 32768, 32769, 65600, 300000 };
    for (int i = 0; i < 80; ++i) {
        const size_t length = lengths[static_cast<size_t>(i) % std::size(lengths)];
        files.Add(
            folder.Write("f" + std::to_string(i), bytes.substr(static_cast<size_t>(i), length)).c_str());
        if (i % 9 == 4)
            files.Add((folder / "missing").c_str());
        if (i % 17 == 8)
            files.Add(folder.Path().c_str()); // a folder: read as nothing
    }
    const std::string pipe = folder / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    files.Add(pipe.c_str());
    std::vector<PartDigest> digests;
    DigestFiles(files, digests);
    ASSERT_EQ(digests.size(), static_cast<size_t>(files.GetCount()));
    for (int i = 0; i < files.GetCount(); ++i) {
        const Digest one = DigestOf(files.At(i).GetText());
        EXPECT_EQ(digests[i].itsSize, one.count) << files.At(i).GetText();
        EXPECT_EQ(digests[i].itsText, one.text) << files.At(i).GetText();
    }
    EXPECT_STREQ(digests[5].itsText, "") << "the missing file";
    EXPECT_STREQ(digests.back().itsText, "") << "the pipe";
    DigestFiles(CStringArray(), digests);
    EXPECT_TRUE(digests.empty());
}
