#include "engine/ExtractionFixture.h"
#include "engine/RepeatedNames.h"
#include "engine/SafeEntryName.h"
#include "engine/UpdatePreflight.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

// Each archive holds a harmless entry first and one hostile entry, and must
// be refused before anything is written, inside the destination or outside.
class HostileArchive : public ExtractionTest {
protected:
    void ExpectRefused(const std::vector<RawZipEntry>& theEntries, const std::string& theBadName)
    {
        SCOPED_TRACE(theBadName);
        const std::string archive = WriteArchive(RawZip(theEntries));
        EXPECT_EQ(Extract(archive), 0);
        EXPECT_EQ(itsError, "Unsafe file name in archive: " + theBadName);
        EXPECT_EQ(itsLog, "ExtractFiles failed - Unsafe file name in archive: " + theBadName + "\n");
        EXPECT_EQ(itsFilesDone, 0u);
        EXPECT_THAT(ListTree(itsTemp.Path().string()), ElementsAre("archive.zip"));
    }

    void ExpectRefused(const std::string& theBadName)
    {
        ExpectRefused({ { "NewFiles/ok.txt", "ok" }, { theBadName, "evil" } }, theBadName);
    }
};

// Which names are unsafe is SafeEntryName's (and through the whole updater
// HostileCorpus's); here, names as the archive holds them and once the top
// folder is mapped away: "NewFiles//tmp/..." becomes absolute.
TEST_F(HostileArchive, PathTraversalLayouts)
{
    const std::string root = itsTemp.Path().string();
    for (const std::string& name : { "/" + root + "/escaped", std::string("../x"),
             std::string("NewFiles/../x"), std::string("NewFiles/a\\..\\..\\x"),
             "NewFiles/" + root + "/escaped", std::string("newfiles/../x") })
        ExpectRefused(name);
}

TEST_F(HostileArchive, DuplicateNames)
{
    // Two entries for one file: which content wins would depend on order.
    ExpectRefused({ { "NewFiles/a", "1" }, { "newfiles/a", "2" } }, "newfiles/a");
    ExpectRefused({ { "NewFiles/a/", "" }, { "NewFiles/a", "2" } }, "NewFiles/a");
    ExpectRefused({ { "NewFiles/a", "1" }, { "NewFiles/a", "2" } }, "NewFiles/a");
    // A zero byte does not hide the rest of a name.
    ExpectRefused({ { std::string("NewFiles/a\0/../../x", 19), "evil" } }, "NewFiles/a");

    EXPECT_EQ(
        Extract(WriteArchive(RawZip({ { "NewFiles/", "" }, { "newfiles/", "" }, { "NewFiles/a/", "" } }))), 1)
        << "folders named twice are harmless: " << itsError;
}

TEST_F(HostileArchive, EntryByEntryIsCheckedToo)
{
    CZipExtractor extractor;
    extractor.SetDestination(itsDestination.c_str());
    ASSERT_EQ(extractor.Open(WriteArchive(RawZip({ { "../escaped", "evil" } })).c_str()), 1);
    EXPECT_EQ(extractor.ExtractOneFile(), 0);
    EXPECT_STREQ(extractor.GetLastError().GetText(), "Unsafe file name in archive: ../escaped");
    EXPECT_THAT(ListTree(itsTemp.Path().string()), ElementsAre("archive.zip"));
}

// A name that is not UTF-8 ("Über" in ISO-8859-1) is reported with the bytes
// the archive holds, never converted from a guessed code page; installed, it is
// UpdateKit.AnInfoZipArchiveWithALatinOneNameIsInstalledByteForByte's.
using EntryNameBytes = HostileArchive;

TEST_F(EntryNameBytes, AnUnsafeNameIsReportedWithItsBytes)
{
    const std::string name = "NewFiles/../\xDC"
                             "ber.txt";
    ExpectRefused({ { name, "x" } }, name);

    std::filesystem::create_directories(itsDestination);
    Cstring message;
    TraceCapture log;
    // The check before the run sees the same bytes.
    EXPECT_FALSE(PreflightUpdate(
        (itsTemp / "archive.zip").c_str(), "", itsDestination.c_str(), message, log.Stream()));
    EXPECT_EQ(std::string(message.GetText()), "Unsafe file name in archive: " + name);
}

TEST(SafeEntryName, OrdinaryNamesPassAndNamesThatLeaveTheFolderAreRefused)
{
    for (const char* name : { "", "a", "a/", "a/b/c.txt", ".hidden", "a/.b", "a..b", "...", "a/b..", "ab:c",
             "Patchwell 5.app/Contents/MacOS/Patchwell 5" })
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    for (const char* name : { "/etc/passwd", "//tmp/x", "..", "../x", "a/../../x", "a/..", "..\\x", "a\\b",
             "C:/x", "c:x", ".", "./x", "a/./b", "a//b", "a/b//", "/", static_cast<const char*>(nullptr) })
        EXPECT_FALSE(IsSafeEntryName(name)) << (name ? name : "null");
}

int64_t FindRepeat(
    const std::vector<const char*>& theNames, CRepeatedNames::CaseRule theRule = CRepeatedNames::kCaseCounts)
{
    CRepeatedNames names(theRule);
    for (size_t i = 0; i < theNames.size(); ++i)
        names.Add(static_cast<uint32_t>(i), theNames[i]);
    return names.FindRepeat([&](uint32_t theIndex) { return Cstring(theNames[theIndex]); });
}

TEST(RepeatedNames, FindsTheFirstEntryThatNamesAnEarlierItem)
{
    EXPECT_EQ(FindRepeat({}), -1);
    EXPECT_EQ(FindRepeat({ "a", "b", "c/b", "A" }), -1); // case counts on this file system
    EXPECT_EQ(FindRepeat({ "a", "b", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a/", "b", "a" }), 2);
    EXPECT_EQ(FindRepeat({ "a", "a/" }), 1);
    EXPECT_EQ(FindRepeat({ "", "a/", "a/", "" }), -1); // folders named twice are harmless
    // A file where another entry implies a folder.
    EXPECT_EQ(FindRepeat({ "a", "a/b" }), 1);
    EXPECT_EQ(FindRepeat({ "x/a/b/c", "y", "x/a" }), 2);
    EXPECT_EQ(FindRepeat({ "x/a/", "x/a/b", "x/a/c", "x/b/a" }), -1);
}

TEST(RepeatedNames, IgnoringCase)
{
    const auto ignored = CRepeatedNames::kCaseIgnored;
    EXPECT_EQ(FindRepeat({ "Help/Index.html", "help/index.HTML" }, ignored), 1);
    EXPECT_EQ(FindRepeat({ "Help/a", "HELP/b" }, ignored), 1) << "two spellings of one folder";
    EXPECT_EQ(FindRepeat({ "Help/", "Help/a", "Help/b", "Help/" }, ignored), -1);
    EXPECT_EQ(FindRepeat({ "readme", "README/x" }, ignored), 1);
}

TEST(RepeatedNames, ManyFilesInFewFoldersStayCheap)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i)
        names.push_back("group" + std::to_string(i % 50) + "/sub/f" + std::to_string(i));
    std::vector<const char*> pointers;
    for (const std::string& name : names)
        pointers.push_back(name.c_str());
    EXPECT_EQ(FindRepeat(pointers, CRepeatedNames::kCaseIgnored), -1);
}

} // namespace
