#include "identification/DigestCache.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const int64_t kSecond = 1'000'000'000;

PartDigest DigestText(const char* theText, int32_t theSize)
{
    PartDigest digest;
    digest.itsSize = theSize;
    std::snprintf(digest.itsText, sizeof digest.itsText, "%s", theText);
    return digest;
}

DigestKey SampleKey(int theIndex)
{
    return { 2049, 1000u + static_cast<uint64_t>(theIndex), 5, 100 * kSecond, 200 * kSecond };
}

DigestKey KeyOf(const std::string& thePath)
{
    struct stat info { };
    EXPECT_EQ(stat(thePath.c_str(), &info), 0);
    return DigestKey::Of(info);
}

std::string DigestOfFile(const std::string& thePath, CDigestCache& theCache)
{
    CStringArray files;
    files.Add(thePath.c_str());
    std::vector<PartDigest> digests;
    DigestFiles(files, digests, &theCache);
    return digests[0].itsText;
}

// Writes theBytes over the file in place and gives it back its modification
// time, then waits until the change time has moved on: what a user (or a
// tool that keeps times) can do to make a changed file look unchanged.
void RewriteKeepingTimes(const std::string& thePath, const std::string& theBytes)
{
    const DigestKey before = KeyOf(thePath);
    std::ofstream(thePath, std::ios::binary | std::ios::trunc) << theBytes;
    const struct timespec times[2] = { { before.itsModified / kSecond, before.itsModified % kSecond },
        { before.itsModified / kSecond, before.itsModified % kSecond } };
    ASSERT_EQ(utimensat(AT_FDCWD, thePath.c_str(), times, 0), 0);
    // Within one tick of the file system's clock the change time may stay:
    // that is the case the settling time covers, not this one.
    while (KeyOf(thePath).itsChanged == before.itsChanged) {
        usleep(1000);
        ASSERT_EQ(utimensat(AT_FDCWD, thePath.c_str(), times, 0), 0);
    }
    ASSERT_EQ(KeyOf(thePath).itsModified, before.itsModified);
}

} // namespace

TEST(DigestCache, GivesBackOnlyUnderTheKeyItWasStoredBy)
{
    const struct {
        const char* itsChange;
        std::function<void(DigestKey&)> itsApply;
    } changes[] = {
        { "device", [](DigestKey& k) { ++k.itsDevice; } },
        { "inode", [](DigestKey& k) { ++k.itsInode; } },
        { "size", [](DigestKey& k) { ++k.itsSize; } },
        { "modified", [](DigestKey& k) { k.itsModified += 1; } },
        { "changed", [](DigestKey& k) { k.itsChanged += 1; } },
    };
    CDigestCache cache;
    const PartDigest stored = DigestText("00112233445566778899AABBCCDDEEFF", 5);
    cache.Store(SampleKey(0), stored, 300 * kSecond);
    PartDigest found;
    ASSERT_TRUE(cache.Lookup(SampleKey(0), found));
    EXPECT_STREQ(found.itsText, stored.itsText);
    for (const auto& change : changes) {
        DigestKey key = SampleKey(0);
        change.itsApply(key);
        EXPECT_FALSE(cache.Lookup(key, found)) << change.itsChange;
    }
}

TEST(DigestCache, ForgetsWhatChangedJustBeforeItWasRead)
{
    // A file changed within the settling time before its read could change
    // again in the same tick of its clock, under the same key.
    const int64_t changed = SampleKey(0).itsChanged;
    const struct {
        int64_t itsReadStart;
        bool bKept;
    } cases[] = { { changed, false }, { changed + CDigestCache::kSettleNanoseconds, false },
        { changed + CDigestCache::kSettleNanoseconds + 1, true }, { changed - kSecond, false } };
    for (const auto& c : cases) {
        CDigestCache cache;
        cache.Store(SampleKey(0), DigestText("00112233445566778899AABBCCDDEEFF", 5), c.itsReadStart);
        PartDigest found;
        EXPECT_EQ(cache.Lookup(SampleKey(0), found), c.bKept) << c.itsReadStart - changed;
    }
    // Nor a digest of fewer bytes than the file has, after a read error.
    CDigestCache cache;
    cache.Store(SampleKey(0), DigestText("00112233445566778899AABBCCDDEEFF", 4), 300 * kSecond);
    EXPECT_EQ(cache.Count(), 0u);
}

TEST(DigestCache, AFileThatDoesNotReadBackWholeIsIgnored)
{
    TempFolder folder;
    const std::string path = folder / "cache/Patchwell/digests";
    CDigestCache written;
    for (int i = 0; i < 3; ++i)
        written.Store(SampleKey(i), DigestText("00112233445566778899AABBCCDDEEFF", 5), 300 * kSecond);
    ASSERT_TRUE(written.Save(path.c_str()));
    ASSERT_TRUE(written.Save(path.c_str())); // over the old one, through a file beside it
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "cache/Patchwell"), {}), 1);
    CDigestCache read;
    ASSERT_TRUE(read.Load(path.c_str()));
    EXPECT_EQ(read.Count(), 3u);
    PartDigest found;
    EXPECT_TRUE(read.Lookup(SampleKey(2), found));

    // Every cut and every changed byte: refused whole, nothing remembered.
    const std::string whole = ReadWholeFile(path);
    const std::string damaged = folder / "damaged";
    auto refused = [&](const std::string& theBytes, const std::string& theWhat) {
        std::ofstream(damaged, std::ios::binary | std::ios::trunc) << theBytes;
        CDigestCache cache;
        cache.Store(SampleKey(9), DigestText("00112233445566778899AABBCCDDEEFF", 5), 300 * kSecond);
        EXPECT_FALSE(cache.Load(damaged.c_str())) << theWhat;
        EXPECT_EQ(cache.Count(), 0u) << theWhat;
    };
    for (size_t length = 0; length < whole.size(); ++length)
        refused(whole.substr(0, length), "cut at " + std::to_string(length));
    for (size_t at = 0; at < whole.size(); ++at) {
        std::string bytes = whole;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
        refused(bytes, "byte " + std::to_string(at));
    }
    refused(whole + whole, "twice");
    // A count that promises more than any file may hold.
    std::string huge = whole;
    huge.replace(8, 8, std::string("\xff\xff\xff\xff\xff\xff\xff\x7f", 8));
    refused(huge, "huge count");
    EXPECT_FALSE(CDigestCache().Load((folder / "missing").c_str()));
    EXPECT_FALSE(CDigestCache().Load(folder.Path().c_str()));
    EXPECT_FALSE(CDigestCache().Load(nullptr));
}

TEST(DigestCache, DigestFilesReadsAgainWhatChangedUnderItsKey)
{
    // The cache is given a false digest for each file under its present key:
    // what comes back shows whether the cache was used.
    const char kFalse[] = "0123456789ABCDEF0123456789ABCDEF";
    const struct {
        const char* itsChange;
        std::function<void(const std::string&)> itsApply;
        bool bCached;
    } cases[] = {
        { "nothing", [](const std::string&) {}, true },
        { "rewritten with its old modification time",
            [](const std::string& p) { RewriteKeepingTimes(p, "other"); }, false },
        { "grown", [](const std::string& p) { std::ofstream(p, std::ios::app) << "!"; }, false },
        { "replaced by another file",
            [](const std::string& p) {
                std::ofstream(p + ".new") << "other";
                std::filesystem::rename(p + ".new", p);
            },
            false },
    };
    TempFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Write("part", "bytes");
        CDigestCache cache;
        cache.Store(KeyOf(path), DigestText(kFalse, 5), CDigestCache::Now() + 10 * kSecond);
        c.itsApply(path);
        CDigestCache plain;
        const std::string truth = DigestOfFile(path, plain);
        EXPECT_NE(truth, kFalse);
        EXPECT_EQ(DigestOfFile(path, cache), c.bCached ? kFalse : truth) << c.itsChange;
        // A file changed a moment ago is read, never remembered.
        EXPECT_EQ(plain.Count(), 0u) << c.itsChange;
    }
}
