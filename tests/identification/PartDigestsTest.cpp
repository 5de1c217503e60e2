#include "identification/PartDigests.h"
#include "support/TempFolder.h"

#include <filesystem>
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

TEST(DigestFile, KnownDigestsAndCounts)
{
    TempFolder folder;
    EXPECT_EQ(DigestOf(folder.Write("empty", "")).text, "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(DigestOf(folder.Write("empty", "")).count, 0);
    const Digest abc = DigestOf(folder.Write("abc", "abc"));
    EXPECT_EQ(abc.count, 3);
    EXPECT_EQ(abc.text, "900150983CD24FB0D6963F7D28E17F72");
}

TEST(DigestFile, ReadUnitBoundaries)
{
    // Lengths around the 1024-byte read unit, against the digest of the same
    // bytes fed through a stream in one go.
    TempFolder folder;
    for (const size_t length : { 1023u, 1024u, 1025u, 3 * 1024u, 70000u }) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        const Digest digest = DigestOf(folder.Write("data", bytes));
        EXPECT_EQ(digest.count, static_cast<int32_t>(length));
        FILE* stream = fmemopen(bytes.data(), bytes.size(), "r");
        char expected[kDigestTextRoom] = {};
        EXPECT_EQ(DigestStream(stream, expected), static_cast<int32_t>(length));
        std::fclose(stream);
        EXPECT_EQ(digest.text, expected) << length;
    }
}

TEST(DigestFile, UnreadablePartsGiveNothing)
{
    TempFolder folder;
    EXPECT_EQ(DigestOf(folder / "missing").count, 0);
    EXPECT_EQ(DigestOf(folder / "missing").text, "");
    const std::string locked = folder.Write("locked", "secret");
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) { // root reads it anyway
        EXPECT_EQ(DigestOf(locked).text, "");
    }
    // A pipe would block a reader for good; it is refused unopened.
    const std::string pipe = folder / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(DigestOf(pipe).count, 0);
    EXPECT_EQ(DigestOf(pipe).text, "");
    char text[kDigestTextRoom] = {};
    EXPECT_EQ(DigestResourceFork(folder.Write("plain", "x").c_str(), text), 0);
    EXPECT_STREQ(text, "");
}

TEST(DigestFiles, EachResultBelongsToItsPath)
{
    TempFolder folder;
    CStringArray files;
    for (int i = 0; i < 40; ++i)
        files.Add(
            folder.Write("f" + std::to_string(i), std::string(static_cast<size_t>(i) * 300, 'a' + i % 26))
                .c_str());
    files.Add((folder / "missing").c_str());
    std::vector<PartDigest> digests;
    DigestFiles(files, digests);
    ASSERT_EQ(digests.size(), 41u);
    for (int i = 0; i < files.GetCount(); ++i) {
        const Digest one = DigestOf(files.At(i).GetText());
        EXPECT_EQ(digests[i].itsSize, one.count);
        EXPECT_EQ(digests[i].itsText, one.text);
    }
    EXPECT_STREQ(digests[40].itsText, "");
    DigestFiles(CStringArray(), digests);
    EXPECT_TRUE(digests.empty());
}
