#include "identification/ProgramScanner.h"
#include "DataLines.h"
#include "identification/PartDigests.h"
#include "identification/ProgramData.h"
#include "identification/ProgramMatch.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kPlist[] = "<plist>\n\t<key>CFBundleExecutable</key>\n\t<string>Patchwell 5</string>\n</plist>\n";

// Writes a bundle under theFolder/theBundle with the given executable bytes.
void MakeBundle(const TempFolder& theRoot, const std::string& theBundle, const std::string& theExecutable,
    const std::string& theResource = "resource", const char* thePlist = kPlist)
{
    theRoot.Write(theBundle + "/Contents/Info.plist", thePlist);
    theRoot.Write(theBundle + "/Contents/MacOS/Patchwell 5", theExecutable);
    theRoot.Write(theBundle + "/Contents/Resources/English.lproj/Main.nib", theResource);
}

// The valid builds, described from known-good copies, written to a data file
// and read back as start-up reads them.
class ScannerTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeBundle(itsBuilds, "Patchwell 5.app", "build 5 executable");
        itsBuilds.Write("Patchwell PPC", "old style program");
        CProgramList known;
        for (const char* name : { "Patchwell 5.app", "Patchwell PPC" }) {
            CProgram* program = new CProgram();
            ScanFile(*program, (itsBuilds / name).c_str(), nullptr);
            known.Append(program);
        }
        ASSERT_EQ(WriteProgramData(known, (itsBuilds / "data.txt").c_str()), 1);
        ReadProgramData(itsValid, (itsBuilds / "data.txt").c_str());
        ASSERT_EQ(itsValid.GetCount(), 2);
    }

    int Scan(const char* const* theNames = gValidProgramNames, bool bWithValid = true,
        CProgramList* pUnknown = nullptr)
    {
        itsFound.itsStream = itsTrace.Stream();
        const int count = ScanDirectory(
            itsFound, itsApps.Path().c_str(), theNames, bWithValid ? &itsValid : nullptr, pUnknown);
        itsFound.itsStream = nullptr;
        EXPECT_EQ(count, itsFound.GetCount());
        return count;
    }

    std::vector<std::string> FoundPaths() const
    {
        std::vector<std::string> paths;
        for (CProgram* program = itsFound.First(); program; program = CProgramList::Next(program))
            paths.push_back(fs::path(program->itsFolder.GetText()).filename().string() + "/"
                + program->itsName.GetText());
        return paths;
    }

    bool Traced(const std::string& theText) { return itsTrace.Text().find(theText) != std::string::npos; }

    TempFolder itsBuilds;
    TempFolder itsApps;
    CProgramList itsValid;
    CProgramList itsFound;
    TraceCapture itsTrace;
};

} // namespace

TEST_F(ScannerTest, FindsCopiesInSubfoldersOnly)
{
    MakeBundle(itsApps, "Patchwell 5/Patchwell 5.app", "build 5 executable");
    MakeBundle(itsApps, "Patchwell 5.app", "build 5 executable");
    MakeBundle(itsApps, "Second/Patchwell 5.APP", "build 5 executable");
    MakeBundle(itsApps, "Second/Patchwell 5.1.app", "build 5 executable");
    itsApps.Write("Old/Patchwell PPC", "old style program");
    ASSERT_EQ(Scan(), 3);
    EXPECT_EQ(FoundPaths(),
        (std::vector<std::string> {
            "Old/Patchwell PPC", "Patchwell 5/Patchwell 5.app", "Second/Patchwell 5.APP" }));

    const CProgram& bundle = *CProgramList::Next(itsFound.First());
    EXPECT_EQ(bundle.itsFolder, Cstring((itsApps / "Patchwell 5").c_str()));
    EXPECT_EQ(bundle.itsExecutable, Cstring("Patchwell 5"));
    EXPECT_EQ(bundle.itsSize, 18 + static_cast<int>(sizeof kPlist) - 1 + 8);
    EXPECT_EQ(bundle.itsDate.Length(), 19);
    ASSERT_EQ(bundle.itsParts.GetCount(), 3);
    EXPECT_EQ(bundle.FirstPart()->itsName, Cstring("Contents/Info.plist"));
    EXPECT_EQ(bundle.FirstPart()->itsOwner, &bundle);

    const CProgram& old = *itsFound.First();
    EXPECT_EQ(old.itsExecutable, Cstring(""));
    ASSERT_NE(FindPartByName(old, "<DF>"), nullptr);
    EXPECT_EQ(FindPartByName(old, "<DF>")->itsSize, 17);
    EXPECT_EQ(FindPartByName(old, "<rf>")->itsDigest, Cstring(""));

    EXPECT_TRUE(
        Traced("Scanning directory: " + itsApps.Path().string() + "\n" + std::string(60, '*') + "\n"));
    EXPECT_TRUE(Traced("***** Processing directory: " + (itsApps / "Second") + "\n"));
    EXPECT_TRUE(Traced("File Patchwell 5.1.app (Patchwell51) did not match anything\n"));
    EXPECT_TRUE(Traced("Processing .app program: " + (itsApps / "Second/Patchwell 5.APP") + "\n"));
    EXPECT_TRUE(
        Traced("Processing program part: " + (itsApps / "Second/Patchwell 5.APP/Contents/Info.plist")));
    EXPECT_TRUE(Traced("Processing old style program: " + (itsApps / "Old/Patchwell PPC") + "\n"));
    EXPECT_FALSE(Traced("Processing directory: " + itsApps.Path().string() + "\n"));
}

// Companion folders are skipped whole; a bundle whose Info.plist names no
// executable takes its own name for it.
TEST_F(ScannerTest, CompanionFoldersAreSkippedAndAPlainBundleIsNamedByItself)
{
    MakeBundle(itsApps, "Bevel Companion 2/Patchwell 5.app", "build 5 executable");
    MakeBundle(itsApps, "bevelcompanion/Patchwell 5.app", "build 5 executable");
    MakeBundle(itsApps, "Plain/Patchwell 5.app", "build 5 executable", "resource", "<plist/>\n");
    ASSERT_EQ(Scan(), 1);
    EXPECT_EQ(itsFound.First()->itsExecutable, Cstring("Patchwell 5"));
    EXPECT_FALSE(Traced("Processing directory: " + (itsApps / "Bevel Companion 2")));
    EXPECT_FALSE(Traced("Processing directory: " + (itsApps / "bevelcompanion")));
}

TEST_F(ScannerTest, WithoutNameTableEveryFileIsKept)
{
    MakeBundle(itsApps, "Misc/Other.app", "x");
    itsApps.Write("Misc/notes.txt", "text");
    fs::create_directories(itsApps / "Misc/Folder");
    EXPECT_EQ(Scan(nullptr, false), 2);
    EXPECT_FALSE(Traced("ScanFile:")) << "no trace stream when every file is taken";
}

TEST_F(ScannerTest, WithoutValidListWholeNamesAreCompared)
{
    MakeBundle(itsApps, "Tool/Patchwell 5.app", "something else");
    itsApps.Write("Tool/Patchwell", "anything");
    EXPECT_EQ(Scan(gValidProgramNames, false), 1);
    EXPECT_EQ(FoundPaths(), (std::vector<std::string> { "Tool/Patchwell" }));
}

TEST_F(ScannerTest, HostileFoldersAreScannedSafely)
{
    MakeBundle(itsApps, "Links/Patchwell 5.app", "build 5 executable");
    fs::create_directory_symlink("..", itsApps / "Links/Patchwell 5.app/Contents/loop");
    fs::create_directory_symlink("../..", itsApps / "Links/Patchwell 5.app/Contents/Resources/up");
    fs::create_symlink("missing", itsApps / "Links/Patchwell 5.app/Contents/dangling");
    fs::create_symlink("missing", itsApps / "Links/Patchwell PPC");
    ASSERT_EQ(mkfifo((itsApps / "Links/Patchwell 5.app/Contents/pipe").c_str(), 0600), 0);
    MakeBundle(itsApps, "Odd \xE9\xFF|/Patchwell \xE9 5|.app", "build 5 executable");
    itsApps.Write("Odd \xE9\xFF|/Patchwell \xE9 5|.app/Contents/Resources/a|b\xC3\xA9", "x");
    fs::create_directories(itsApps / "Locked/Patchwell 5.app");
    chmod((itsApps / "Locked").c_str(), 0);
    fs::create_directory_symlink("nowhere", itsApps / "Dangling folder");

    EXPECT_EQ(Scan(), 2);
    chmod((itsApps / "Locked").c_str(), 0700);
    EXPECT_EQ(FoundPaths()[0], "Links/Patchwell 5.app");
    const CProgram& odd = *CProgramList::Next(itsFound.First());
    EXPECT_NE(FindPartByName(odd, "Contents/Resources/a|b\xC3\xA9"), nullptr);
}

namespace {

// The digest of each part, as DigestFile gives it for the part's file.
void ExpectPartsAsDigestFileGivesThem(const CProgramList& theList)
{
    for (CProgram* program = theList.First(); program; program = CProgramList::Next(program)) {
        const std::string path = std::string(program->itsFolder.GetText()) + "/" + program->itsName.GetText();
        for (CProgramPart* part = program->FirstPart(); part; part = CProgram::NextPart(part)) {
            const std::string name = part->itsName.GetText();
            if (name == "<RF>")
                continue;
            char digest[kDigestTextRoom] = {};
            const int32_t size = DigestFile((name == "<DF>" ? path : path + "/" + name).c_str(), digest);
            EXPECT_EQ(part->itsSize, size) << path << " " << name;
            EXPECT_EQ(part->itsDigest, Cstring(digest)) << path << " " << name;
        }
    }
}

} // namespace

TEST_F(ScannerTest, CopiesScannedTogetherGiveWhatOneByOneGives)
{
    // Many copies, some damaged or partly unreadable, scanned in one pass
    // (their files digested together on every core) and one folder at a
    // time: the same records, the same unknown copies, the same trace.
    for (const char* folder : { "A", "B", "C", "D", "E", "F", "G", "H", "I" })
        MakeBundle(itsApps, std::string(folder) + "/Patchwell 5.app", "build 5 executable");
    MakeBundle(itsApps, "Big/Patchwell 5.app", "build 5 executable", std::string(300000, 'r'));
    MakeBundle(itsApps, "Changed/Patchwell 5.app", "patched executable");
    // Only the executable decides: a bundle whose program has another name is none.
    MakeBundle(itsApps, "Renamed/Patchwell 5.app", "build 5 executable");
    fs::rename(itsApps / "Renamed/Patchwell 5.app/Contents/MacOS/Patchwell 5",
        itsApps / "Renamed/Patchwell 5.app/Contents/MacOS/Other");
    MakeBundle(itsApps, "Fifo/Patchwell 5.app", "build 5 executable");
    fs::remove(itsApps / "Fifo/Patchwell 5.app/Contents/MacOS/Patchwell 5");
    ASSERT_EQ(mkfifo((itsApps / "Fifo/Patchwell 5.app/Contents/MacOS/Patchwell 5").c_str(), 0600), 0);
    MakeBundle(itsApps, "Damaged/Patchwell 5.app", "build 5 executable");
    fs::create_directories(itsApps / "Damaged/Patchwell 5.app/Contents/Tool.app");
    fs::create_symlink("missing", itsApps / "Damaged/Patchwell 5.app/Contents/Resources/gone");
    chmod((itsApps / "Damaged/Patchwell 5.app/Contents/Resources/English.lproj/Main.nib").c_str(), 0);
    itsApps.Write("Old/Patchwell PPC", "old style program");
    itsApps.Write("Old changed/Patchwell PPC", "old style, patched");
    itsApps.Write("Other/Patchwell 5.1.app/Contents/Info.plist", kPlist);

    CProgramList unknown;
    EXPECT_EQ(Scan(gValidProgramNames, true, &unknown), 12);
    EXPECT_EQ(unknown.GetCount(), 4)
        << "the changed, the renamed, the unreadable and the old changed executables";

    std::vector<std::string> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(itsApps.Path()))
        folders.push_back(entry.path().string());
    std::sort(folders.begin(), folders.end());
    CProgramList oneByOne;
    CProgramList oneByOneUnknown;
    TraceCapture oneByOneTrace;
    oneByOne.itsStream = oneByOneTrace.Stream();
    for (const std::string& folder : folders)
        ProcessDirectory(oneByOne, folder.c_str(), gValidProgramNames, &itsValid, &oneByOneUnknown);
    oneByOne.itsStream = nullptr;

    EXPECT_EQ(Dump(itsFound), Dump(oneByOne));
    EXPECT_EQ(Dump(unknown), Dump(oneByOneUnknown));
    const std::string trace = itsTrace.Text();
    EXPECT_EQ(trace.substr(trace.find("***** Processing")), oneByOneTrace.Text());
    ExpectPartsAsDigestFileGivesThem(itsFound);
    ExpectPartsAsDigestFileGivesThem(unknown);
    EXPECT_TRUE(
        Traced("Processing program part: " + (itsApps / "Damaged/Patchwell 5.app/Contents/Tool.app") + "\n"));
}

TEST(ProgramMatch, Rules)
{
    EXPECT_EQ(KeepAlnum("Patchwell 5.1 \xC3\xA9-PPC"), Cstring("Patchwell51PPC"));
    EXPECT_EQ(KeepAlnum(""), Cstring(""));

    CProgram valid;
    valid.AddPart(new CProgramPart(nullptr, "Contents/Info.plist", 1, "AA"));
    valid.AddPart(new CProgramPart(nullptr, "Contents/MacOS/P", 1, "abcd"));
    valid.AddPart(new CProgramPart(nullptr, "Contents/MacOS/Q", 1, "EEEE"));
    CProgram found;
    EXPECT_FALSE(ProgramMatches(valid, nullptr));
    EXPECT_FALSE(ProgramMatches(valid, &found));
    found.AddPart(new CProgramPart(nullptr, "Contents/MacOS/Q", 1, "EEEE"));
    EXPECT_FALSE(ProgramMatches(valid, &found)) << "only the first executable part counts";
    found.AddPart(new CProgramPart(nullptr, "contents/macos/p", 9, "ABCD"));
    EXPECT_TRUE(ProgramMatches(valid, &found)) << "names and digests ignore case, sizes are not compared";

    // Data forks that could not be read on either side still match.
    CProgram oldValid;
    oldValid.AddPart(new CProgramPart(nullptr, "<DF>", 0, ""));
    CProgram oldFound;
    oldFound.AddPart(new CProgramPart(nullptr, "<DF>", 0, ""));
    EXPECT_TRUE(ProgramMatches(oldValid, &oldFound));

    CProgramList list;
    EXPECT_EQ(FindMatchingProgram(list, oldFound), nullptr);
}
