#include "engine/ExtractionFixture.h"
#include "engine/FailureAdvice.h"
#include "support/MountedFolder.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

const char kBinaryName[] = "Patchwell 5.app/Contents/MacOS/Patchwell 5";

std::string Hex(uint32_t theValue)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", theValue);
    return text;
}

class Extraction : public ExtractionTest {
protected:
    // The kinds of entry an update holds, each file with its own date, in
    // src/NewFiles, packed by patchwell-pack; the archive's path.
    std::string PackedSource()
    {
        const std::vector<std::pair<std::string, std::string>> files = {
            { "Readme.txt", "hello\n" },
            { "empty.dat", "" },
            { "Help/index.html", "<p>help</p>" },
            { kBinaryName, RandomBytes(70000, 1) },
            { "Patchwell 5.app/Contents/Info.plist", std::string(50000, 'x') },
        };
        int second = 0;
        for (const auto& [name, data] : files)
            SetFileDate(
                itsTemp.Write("src/NewFiles/" + name, data), LocalTime(2015, 6, 15, 12, 30, second += 2));
        std::filesystem::create_directories(itsTemp / "src/NewFiles/Help/Empty");
        const std::string archive = itsTemp / "packed.zip";
        EXPECT_EQ(PackArchive(archive, itsTemp / "src/NewFiles"), 0);
        return archive;
    }
};

TEST_F(Extraction, ArchiveFromPackRoundTrips)
{
    ASSERT_EQ(Extract(PackedSource()), 1) << itsError;
    EXPECT_EQ(itsError, "");
    const std::string source = itsTemp / "src/NewFiles";
    EXPECT_EQ(ListTree(itsDestination), ListTree(source));
    for (const std::string& path : ListTree(source)) {
        if (path.back() == '/')
            continue;
        const std::string written = itsDestination + "/" + path;
        EXPECT_EQ(ReadWholeFile(written), ReadWholeFile(source + "/" + path)) << path;
        EXPECT_EQ(FileDate(written), FileDate(source + "/" + path)) << path;
        EXPECT_EQ(std::filesystem::status(written).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(path == kBinaryName ? 0755 : 0644))
            << path;
    }
    EXPECT_EQ(itsFilesDone, 11u);
    EXPECT_EQ(itsFileCount, 11u);
    // Pack writes entries in name order, the top folder first.
    std::string expected = "ExtractOneFile - " + itsDestination + "/\n";
    for (const std::string& path : ListTree(source))
        expected += "ExtractOneFile - " + itsDestination + "/" + path + "\n";
    EXPECT_EQ(itsLog, expected);
}

TEST_F(Extraction, LongEntryNamesAreKeptWhole)
{
    std::string name = "NewFiles";
    for (int i = 0; i < 12; ++i)
        name += "/" + std::string(100, static_cast<char>('a' + i));
    ASSERT_EQ(Extract(WriteArchive(RawZip({ { name, "deep" } }))), 1) << itsError;
    EXPECT_EQ(ReadWholeFile(itsDestination + name.substr(8)), "deep");
}

std::string Mapped(const CZipExtractor& theExtractor, const char* theName)
{
    return theExtractor.MapEntryName(theName).GetText();
}

// An exact match goes on to the later rules; a prefix stops.
TEST(NameMapping, RulesOfTheUpdateRun)
{
    CZipExtractor extractor;
    EXPECT_EQ(Mapped(extractor, "NewFiles/Readme.txt"), "NewFiles/Readme.txt");
    extractor.AddNameMapping("NewFiles/", "", nullptr);
    extractor.AddNameMapping("Other", nullptr); // incomplete: not added
    EXPECT_EQ(Mapped(extractor, "NewFiles/Readme.txt"), "Readme.txt");
    EXPECT_EQ(Mapped(extractor, "newfiles/a/b.txt"), "a/b.txt");
    EXPECT_EQ(Mapped(extractor, "NewFiles/"), "");
    EXPECT_EQ(Mapped(extractor, "Other/x"), "Other/x");

    CZipExtractor chained;
    chained.AddNameMapping("ab", "x", "");
    chained.AddNameMapping("a", "y", "");
    chained.AddNameMapping("yb", "never", "");
    EXPECT_EQ(Mapped(chained, "ab"), "yb");
    EXPECT_EQ(Mapped(chained, "a"), "y");
    EXPECT_EQ(Mapped(chained, "ax"), "yx");
}

class Overwrite : public ExtractionTest {
protected:
    void SetUp() override
    {
        ExtractionTest::SetUp();
        itsArchive = WriteArchive(RawZip({ { "NewFiles/one.txt", "new one" },
            { "NewFiles/two.txt", "new two" }, { "NewFiles/three.txt", "new 3" } }));
        for (const char* name : { "one.txt", "two.txt", "three.txt" })
            itsTemp.Write(std::string("dest/") + name, "old");
        itsMode = CZipExtractor::kOverwriteAsk;
        itsHost.itsOverwriteAnswer = [this](const char* thePath, uint32_t theCount) {
            itsAsked.push_back(
                std::string(thePath).substr(itsDestination.size() + 1) + " of " + std::to_string(theCount));
            const int answer = itsAnswers.empty() ? kResultNo : itsAnswers.front();
            if (!itsAnswers.empty())
                itsAnswers.erase(itsAnswers.begin());
            return answer;
        };
    }

    std::string Contents() const
    {
        return ReadWholeFile(itsDestination + "/one.txt") + "|" + ReadWholeFile(itsDestination + "/two.txt")
            + "|" + ReadWholeFile(itsDestination + "/three.txt");
    }

    std::string itsArchive;
    std::vector<int> itsAnswers;
    std::vector<std::string> itsAsked;
};

// The modes and the answers to the question, each from three old files.
TEST_F(Overwrite, ModesAndAnswers)
{
    struct Case {
        const char* itsName;
        int itsMode;
        std::vector<int> itsAnswers;
        int itsResult;
        const char* itsContents;
        std::vector<std::string> itsAsked;
    };
    const Case cases[] = {
        { "replace", CZipExtractor::kOverwriteReplace, {}, 1, "new one|new two|new 3", {} },
        { "keep", 7, {}, 1, "old|old|old", {} },
        { "yes and no per file", CZipExtractor::kOverwriteAsk, { kResultYes, kResultNo, kResultOk }, 1,
            "new one|old|new 3", { "one.txt of 3", "two.txt of 3", "three.txt of 3" } },
        { "yes to all", CZipExtractor::kOverwriteAsk, { kResultNo, kOverwriteYesToAll }, 1,
            "old|new two|new 3", { "one.txt of 3", "two.txt of 3" } },
        { "no to all", CZipExtractor::kOverwriteAsk, { kResultYes, kOverwriteNoToAll }, 1, "new one|old|old",
            { "one.txt of 3", "two.txt of 3" } },
        { "cancel", CZipExtractor::kOverwriteAsk, { kResultYes, kResultCancel }, 0, "new one|old|old",
            { "one.txt of 3", "two.txt of 3" } },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        CScopedGlobal<int32_t> abort(gAbortUpdate, 0);
        CScopedGlobal<int32_t> remembered(gOverwriteAnswer, 0);
        for (const char* name : { "one.txt", "two.txt", "three.txt" })
            itsTemp.Write(std::string("dest/") + name, "old");
        itsMode = test.itsMode;
        itsAnswers = test.itsAnswers;
        itsAsked.clear();
        EXPECT_EQ(Extract(itsArchive), test.itsResult);
        EXPECT_EQ(Contents(), test.itsContents);
        EXPECT_EQ(itsAsked, test.itsAsked);
        if (test.itsResult) {
            EXPECT_EQ(itsFilesDone, 3u) << "a kept file is done too";
        }
    }
}

TEST_F(Overwrite, YesToAllIsRememberedByALaterExtractor)
{
    itsAnswers = { kResultNo, kOverwriteYesToAll };
    EXPECT_EQ(Extract(itsArchive), 1);
    EXPECT_EQ(gOverwriteAnswer, kOverwriteYesToAll);
    itsTemp.Write("dest/one.txt", "old");
    EXPECT_EQ(Extract(itsArchive), 1);
    EXPECT_EQ(Contents(), "new one|new two|new 3");
    EXPECT_EQ(itsAsked.size(), 2u);
}

TEST_F(Overwrite, CancelAbortsThisExtractionAndTheNext)
{
    itsAnswers = { kResultYes, kResultCancel };
    EXPECT_EQ(Extract(itsArchive), 0);
    EXPECT_EQ(itsError, "Extract Aborted");
    EXPECT_THAT(itsLog, EndsWith("two.txt\nExtractFiles aborted\n"));
    EXPECT_EQ(gAbortUpdate, 1);
    // Nothing resets the flag: a later extraction stops at once.
    EXPECT_EQ(Extract(itsArchive), 0);
    EXPECT_EQ(itsLog, "ExtractOneFile - " + itsDestination + "/one.txt\nExtractFiles aborted\n");
}

TEST_F(Overwrite, KeptFileStillCountsInTheProgress)
{
    bWithWindow = true;
    itsAnswers = { kResultNo, kResultNo, kResultYes };
    EXPECT_EQ(Extract(itsArchive), 1);
    // Only the last file is written; its one block brings the bar to 100%
    // because the two kept files were counted (shown at the next entry).
    EXPECT_THAT(itsWindow.TextsOf(125), ElementsAre("0%", "36%", "73%", "100%"));
}

TEST_F(Extraction, CounterNeverShowsTheCountOfTheCountAndBundlesShowWhole)
{
    bWithWindow = true;
    const std::string big = RandomBytes(40000, 2); // three blocks
    ASSERT_EQ(Extract(WriteArchive(
                  RawZip({ { "NewFiles/a", big }, { "NewFiles/B.txt", "b" }, { "NewFiles/b.TXT", "c" } }))),
        1);
    EXPECT_THAT(itsWindow.TextsOf(143), ElementsAre("File 0 of 3", "File 1 of 3", "File 2 of 3"));
    EXPECT_THAT(itsWindow.TextsOf(178), ElementsAre("NewFiles/a", "NewFiles/B.txt"));
    EXPECT_THAT(itsWindow.TextsOf(125), ElementsAre("0%", "40%", "81%", "99%", "100%"));

    // The entries of a bundle show as the bundle.
    itsWindow.itsCalls.clear();
    ASSERT_EQ(
        Extract(WriteArchive(RawZip({ { "NewFiles/X.app/Contents/a", "1" }, { "NewFiles/X.app/b", "2" } }))),
        1);
    EXPECT_THAT(itsWindow.TextsOf(178), ElementsAre("NewFiles/X.app"));
}

TEST_F(Extraction, FailuresToOpen)
{
    EXPECT_EQ(Extract(WriteArchive("this is not a zip file")), 0);
    EXPECT_EQ(itsOpened, 0);
    EXPECT_EQ(
        itsError, "Error opening compressed file container: no end record in the last 22 bytes of the file");

    const std::string whole = ReadWholeFile(PackedSource());
    EXPECT_EQ(Extract(WriteArchive(whole.substr(0, whole.size() / 2))), 0);
    EXPECT_EQ(itsError,
        "Error opening compressed file container: no end record in the last "
            + std::to_string(whole.size() / 2) + " bytes of the file");
    EXPECT_FALSE(std::filesystem::exists(itsDestination));

    CZipExtractor unopened;
    EXPECT_EQ(unopened.ExtractFiles(), 0);
    EXPECT_STREQ(unopened.GetLastError().GetText(), "Unable to get global info (18)");

    EXPECT_EQ(Extract(WriteArchive(RawZip({}))), 0) << "an empty archive installs nothing";
    EXPECT_EQ(itsError, "") << "and is no failure";
}

TEST_F(Extraction, PasswordFailures)
{
    const std::string archive = PackedSource();
    itsPassword = "";
    EXPECT_EQ(Extract(archive), 0);
    // The number stays where it always was; the words say which entry and
    // where its header lies.
    const std::string failure
        = "Unable to open compressed file (26): the entry is encrypted and no password was "
          "given (entry NewFiles/Help/index.html, local header at offset 133)";
    EXPECT_EQ(itsError, failure);
    // Folder entries carry no data and no encryption; the first file fails.
    EXPECT_EQ(itsLog,
        "ExtractOneFile - " + itsDestination + "/\nExtractOneFile - " + itsDestination
            + "/Help/\nExtractOneFile - " + itsDestination + "/Help/Empty/\nExtractOneFile - "
            + itsDestination + "/Help/index.html\nExtractOneFile failed - " + failure + "\n");
    EXPECT_FALSE(std::filesystem::exists(itsDestination + "/Help/index.html"));

    // A wrong password passes the one-byte check of an entry now and then;
    // the data then fails to decrypt into what the entry declares.
    itsPassword = "not the key";
    EXPECT_EQ(Extract(archive), 0);
    EXPECT_THAT(itsError,
        AnyOf(StartsWith("Unable to open compressed file (27): the password does not open the entry (entry "),
            StartsWith("Decompress Error (")));
    EXPECT_FALSE(std::filesystem::exists(itsDestination + "/Readme.txt"));
}

TEST_F(Extraction, CorruptEntryLeavesTheOldFile)
{
    itsTemp.Write("dest/big.dat", "old");
    const std::string data = RandomBytes(50000, 3);
    EXPECT_EQ(Extract(WriteArchive(RawZip({ { "NewFiles/big.dat", data, true } }))), 0);
    const std::string failure = "Decompress Error (7): the data's CRC-32 is " + Hex(Crc32(data))
        + ", the directory's " + Hex(Crc32(data) ^ 1) + " (entry NewFiles/big.dat, local header at offset 0)";
    EXPECT_EQ(itsError, failure);
    EXPECT_THAT(itsLog, EndsWith("ExtractOneFile failed - " + failure + "\n"));
    EXPECT_THAT(ListTree(itsDestination), ElementsAre("big.dat"));
    EXPECT_EQ(ReadWholeFile(itsDestination + "/big.dat"), "old");
}

TEST_F(Extraction, FileEntryOntoAFolderFailsWithAMessage)
{
    std::filesystem::create_directories(itsDestination + "/Readme.txt");
    EXPECT_EQ(Extract(WriteArchive(RawZip({ { "NewFiles/Readme.txt", "text" } }))), 0);
    const std::string error
        = "ExtractOneFile file open failed - 21 - Is a directory\nFile: " + itsDestination + "/Readme.txt";
    EXPECT_EQ(itsError, error);
    EXPECT_EQ(itsLog, "ExtractOneFile - " + itsDestination + "/Readme.txt\n" + error + "\n")
        << "one prefix, not two";
}

TEST_F(Extraction, AbortInALargeEntryKeepsThePreviousFile)
{
    itsTemp.Write("dest/large.dat", "previous");
    const std::string archive = WriteArchive(RawZip({ { "NewFiles/large.dat", RandomBytes(1 << 20, 4) } }));
    int polls = 0;
    itsHost.itsCancelPoll = [&] { return ++polls == 5; };
    int answer = kResultNo;
    itsHost.itsAlertAnswer = [&](const CAlert&) { return answer; };

    // Declined: the run goes on to the end.
    EXPECT_EQ(Extract(archive), 1);
    EXPECT_EQ(ReadWholeFile(itsDestination + "/large.dat").size(), 1u << 20);

    itsTemp.Write("dest/large.dat", "previous");
    polls = 0;
    answer = kResultYes;
    EXPECT_EQ(Extract(archive), 0);
    EXPECT_EQ(itsError, "Extract Aborted");
    EXPECT_EQ(itsLog, "ExtractOneFile - " + itsDestination + "/large.dat\nExtractFiles aborted\n");
    EXPECT_THAT(ListTree(itsDestination), ElementsAre("large.dat"));
    EXPECT_EQ(ReadWholeFile(itsDestination + "/large.dat"), "previous");
    // Each request was a question, asked with no window to show progress in.
    EXPECT_THAT(itsHost.AlertTexts(),
        ElementsAre(
            "Are you sure you want to abort the update?", "Are you sure you want to abort the update?"));
}

TEST_F(Extraction, ReadOnlyDestination)
{
    const std::string archive = WriteArchive(RawZip({ { "NewFiles/a.txt", "a" } }));
    std::filesystem::create_directories(itsDestination);
    std::unique_ptr<CMountedFolder> mount;
    if (geteuid() == 0) {
        mount = std::make_unique<CMountedFolder>(itsDestination, "ro,size=64k");
        if (!mount->IsMounted())
            GTEST_SKIP() << "root cannot be refused by permissions and tmpfs cannot be mounted here";
    } else {
        chmod(itsDestination.c_str(), 0555);
    }
    EXPECT_EQ(Extract(archive), 0);
    EXPECT_THAT(itsError,
        AnyOf(StartsWith("ExtractOneFile file open failed - 30 - Read-only file system\nFile: "),
            StartsWith("ExtractOneFile file open failed - 13 - Permission denied\nFile: ")));
    EXPECT_THAT(itsError, EndsWith(itsDestination + "/a.txt"));
}

TEST_F(Extraction, FullDiskLeavesNoPartialFile)
{
    CMountedFolder mount(itsDestination, "size=256k");
    if (!mount.IsMounted())
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    itsTemp.Write("dest/large.dat", "previous");
    EXPECT_EQ(Extract(WriteArchive(RawZip({ { "NewFiles/large.dat", RandomBytes(1 << 20, 5) } }))), 0);
    const std::string error
        = "Data Write Failed - No space left on device\nFile: " + itsDestination + "/large.dat";
    EXPECT_EQ(itsError, error);
    EXPECT_THAT(itsLog, EndsWith("ExtractOneFile failed - " + error + "\n"));
    EXPECT_THAT(ListTree(itsDestination), ElementsAre("large.dat"));
    EXPECT_EQ(ReadWholeFile(itsDestination + "/large.dat"), "previous");
}

// The progress page's items as the extraction shows them.
class ProgressDisplay : public ::testing::Test {
protected:
    CTestHost itsHost;
    CRecordingWindow itsWindow;
    CProgressDisplay itsDisplay;
};

TEST_F(ProgressDisplay, FirstCallDrawsEveryItemThenOnlyWhatChanged)
{
    itsDisplay.SetWindow(&itsWindow);
    // The progress page as the update run sets it up.
    itsDisplay.SetProgressItems(169, 125, nullptr);
    itsDisplay.SetCounterItem(143, "File %d of %d");
    itsDisplay.SetNameItem(178);
    itsDisplay.Update("a", 0, 300, 0, 3);
    EXPECT_THAT(itsWindow.itsCalls,
        ElementsAre("value 169 0", "redraw 169", "text 125 0%", "redraw 125", "text 143 File 0 of 3",
            "redraw 143", "text 178 a", "redraw 178"));
    itsWindow.itsCalls.clear();
    itsDisplay.Update("a", 2, 300, 0, 3); // 0.66% is still 0%
    EXPECT_THAT(itsWindow.itsCalls, IsEmpty());
    itsDisplay.Update("A", 100, 300, 0, 3); // 33.3% truncates; the name differs only in case
    EXPECT_THAT(itsWindow.itsCalls, ElementsAre("value 169 33", "redraw 169", "text 125 33%", "redraw 125"));
    itsWindow.itsCalls.clear();
    itsDisplay.Update("b", 100, 300, 1, 3);
    EXPECT_THAT(
        itsWindow.itsCalls, ElementsAre("text 143 File 1 of 3", "redraw 143", "text 178 b", "redraw 178"));
}

TEST_F(ProgressDisplay, FormatsAndMissingItems)
{
    itsDisplay.SetWindow(&itsWindow);
    itsDisplay.SetProgressItems(0, 125, "%d percent");
    itsDisplay.SetCounterItem(143, "");
    itsDisplay.Update("a", 1, 2, 4, 9);
    EXPECT_THAT(itsWindow.itsCalls,
        ElementsAre("text 125 50 percent", "redraw 125", "text 143 4 of 9", "redraw 143"));

    itsWindow.itsCalls.clear();
    itsDisplay.Update("b", 50, 0, 5, 9);
    EXPECT_THAT(itsWindow.TextsOf(125), ElementsAre("0 percent")) << "a zero total stays at zero";
}

// A key that does not fit is a kit made for another program, anything else the
// archive does is a damaged kit; other failures say what to do themselves.
TEST(FailureAdvice, WrongKeyDamagedKitOrNothing)
{
    const char* const kWrongKey
        = "The update kit's archive does not open with this program's key: the kit was "
          "not made for this program. Get the update kit that was made for it.";
    const char* const kDamaged
        = "The update kit's archive is damaged or incomplete. Get the update kit again, "
          "and start the update from the new copy.";
    const struct {
        const char* itsMessage;
        const char* itsAdvice;
    } cases[] = {
        { "Unable to open compressed file (27): the password does not open the entry", kWrongKey },
        { "Unable to open compressed file (26): the entry is encrypted and no password was given",
            kWrongKey },
        { "Unable to open compressed file (21): the local header's name differs from the directory's",
            kDamaged },
        { "Decompress Error (7): the data's CRC-32 is 00000001, the directory's 00000000", kDamaged },
        { "Decompress Error (13)", kDamaged },
        { "Failed to close compressed file (21)", kDamaged },
        { "Unable to get compressed file info (19)", kDamaged },
        { "Error opening compressed file container: two end records could each be the archive's", kDamaged },
        { "Unsafe file name in archive: ../x", "" },
        { "Not enough room on the disk for the update: it needs 10 bytes, 5 are free in /x", "" },
        { "Extract Aborted", "" },
    };
    for (const auto& test : cases)
        EXPECT_STREQ(FailureAdvice(test.itsMessage).GetText(), test.itsAdvice) << test.itsMessage;
}

} // namespace
