#include "identification/PartDigests.h"
#include "identification/BundleFiles.h"
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

std::vector<std::string> Collected(const std::string& theFolder)
{
    CStringArray files;
    CollectFiles(files, theFolder.c_str());
    std::vector<std::string> names;
    for (int i = 0; i < files.GetCount(); ++i)
        names.push_back(files.At(i).GetText() + theFolder.size() + 1);
    return names;
}

std::string Executable(const TempFolder& theFolder, const std::string& thePlist)
{
    return GetBundleExecutable(theFolder.Write("Info.plist", thePlist).c_str()).GetText();
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

TEST(CollectFiles, WalksTheBundleDepthFirstWithoutHiddenNamesOrInnerBundles)
{
    TempFolder folder;
    folder.Write("A.app/Contents/Info.plist", "");
    folder.Write("A.app/Contents/.DS_Store", "");
    folder.Write("A.app/Contents/.hidden", "");
    folder.Write("A.app/Contents/MacOS/A", "");
    folder.Write("A.app/Contents/Resources/en.lproj/x.strings", "");
    folder.Write("A.app/Contents/Resources/Tool.app/Contents/MacOS/Tool", "");
    folder.Write("A.app/Contents/Resources/Kit.PKG/file", "");
    std::filesystem::create_directories(folder / "A.app/Contents/Empty");
    EXPECT_EQ(Collected(folder / "A.app"),
        (std::vector<std::string> { "Contents/Info.plist", "Contents/MacOS/A", "Contents/Resources/Kit.PKG",
            "Contents/Resources/Tool.app", "Contents/Resources/en.lproj/x.strings" }));
}

TEST(CollectFiles, SymbolicLinksAreListedNotEntered)
{
    TempFolder folder;
    folder.Write("B.app/Contents/MacOS/B", "b");
    std::filesystem::create_directory_symlink("..", folder / "B.app/Contents/loop");
    std::filesystem::create_symlink("nowhere", folder / "B.app/Contents/dangling");
    EXPECT_EQ(Collected(folder / "B.app"),
        (std::vector<std::string> { "Contents/MacOS/B", "Contents/dangling", "Contents/loop" }));
    EXPECT_TRUE(Collected(folder / "missing").empty());
}

TEST(GetBundleExecutable, IndentationAndTagRules)
{
    TempFolder folder;
    EXPECT_EQ(Executable(folder, "\t\t<key>CFBundleExecutable</key>\n   <string>Patchwell 5</string>\n"),
        "Patchwell 5");
    EXPECT_EQ(
        Executable(folder, "<KEY>cfbundleexecutable</KEY>\n\n<array/>\n<STRING>Late</STRING>   \n"), "Late");
    EXPECT_EQ(Executable(folder, "<key>CFBundleExecutable</key>\n<string></string>\n"), "");
    // Only spaces are trimmed at the end: a tab hides the first value.
    EXPECT_EQ(
        Executable(folder, "<key>CFBundleExecutable</key>\n<string>Tab</string>\t\n<string>Next</string>\n"),
        "Next");
    // Key and value on one line, a value before the key, no key at all.
    EXPECT_EQ(Executable(folder, "<key>CFBundleExecutable</key><string>One</string>\n"), "");
    EXPECT_EQ(Executable(folder, "<string>Early</string>\n<key>CFBundleExecutable</key>\n"), "");
    EXPECT_EQ(Executable(folder, "<key>CFBundleName</key>\n<string>Name</string>\n"), "");
    EXPECT_EQ(GetBundleExecutable((folder / "missing").c_str()), Cstring());
}

TEST(GetBundleExecutable, LongLinesAreReadInPieces)
{
    TempFolder folder;
    const std::string filler(5000, 'x');
    EXPECT_EQ(Executable(folder, filler + "\n<key>CFBundleExecutable</key>\n<string>P</string>\n"), "P");
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
