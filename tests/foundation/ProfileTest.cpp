#include "foundation/Profile.h"
#include "foundation/ProfileText.h"
#include "support/ScopedTextSource.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

// Each test gets a program folder and a Preferences folder of its own and a
// freshly registered set of entries at their defaults.
class Profile : public testing::Test {
protected:
    void SetUp() override
    {
        SetProfileFileName("Patchwell Settings.txt");
        DeleteProfileEntries();
        SetProfileDefaults(100000);
        BaseProgramPath = (itsTemp / "program").c_str();
    }
    void TearDown() override
    {
        DeleteProfileEntries();
        BaseProgramPath = "";
    }

    void WriteProgramProfile(const std::string& theText)
    {
        itsTemp.Write("program/Patchwell Settings.txt", theText);
    }
    void WriteUserProfile(const std::string& theText)
    {
        itsTemp.Write("config/Patchwell/Patchwell Settings.txt", theText);
    }

    TempFolder itsTemp;
    CScopedVariable itsConfig { "XDG_CONFIG_HOME", itsTemp / "config" };
};

Cstring OwnProfileName(int theTextId, CResFile*)
{
    return theTextId == 10006 ? Cstring("Own Settings.txt") : Cstring();
}

} // namespace

TEST_F(Profile, FileNameIsText10006ElseTheDefault)
{
    {
        CScopedTextSource source(&OwnProfileName);
        SetProfileFileName("");
        EXPECT_STREQ(ProfileFileName().GetText(), "Own Settings.txt");
    }
    CScopedTextSource none(nullptr);
    SetProfileFileName("");
    EXPECT_STREQ(ProfileFileName().GetText(), "Patchwell Settings.txt");
}

TEST_F(Profile, DefaultsFollowTheKeyTable)
{
    EXPECT_EQ(AngleIncrement, 500);
    EXPECT_EQ(AutoSaveTickLength, 10000);
    EXPECT_EQ(PointCloseness, 5000) << "a twentieth of the length scale";
    EXPECT_EQ(SegLength, 5000);
    EXPECT_EQ(UndoCount, 10);
    EXPECT_STREQ(PreviewFont.name.GetText(), "Helv");
    EXPECT_EQ(PreviewFont.size, 10);
    EXPECT_EQ(GlobalLocation.left, 0);
    EXPECT_TRUE(CDPath.IsEmpty());

    int count = 0;
    for (CProfileEntry* entry = FirstProfileEntry(); entry; entry = entry->itsNext)
        ++count;
    EXPECT_EQ(count, 58);
    EXPECT_STREQ(FirstProfileEntry()->GetKey().GetText(), "MetricMode") << "newest first";
    EXPECT_EQ(FindProfileEntry("GlobalLocation")->GetGroup(), 26);
    EXPECT_EQ(FindProfileEntry("PreviewFont")->GetType(), kProfileFont);
}

TEST_F(Profile, KeysMatchExactlyWithOrWithoutEquals)
{
    WriteProgramProfile("AutoSaveTickCount = 12\n"
                        "  UndoCount 13\n"
                        "polypoints = 99\n"
                        "PolyPoints[1] = 7\n"
                        "NoSuchKey = 5\n"
                        "= 4\n");
    LoadProfile(-1);
    EXPECT_EQ(AutoSaveTickCount, 12);
    EXPECT_EQ(UndoCount, 13);
    EXPECT_EQ(PolyPoints, 200) << "keys are case-sensitive, and an index makes another key";
}

TEST_F(Profile, StringValuesQuotedOrNot)
{
    WriteProgramProfile("CDPath = /Volumes/Disk/Library\n"
                        "OrigCDPath = \"/Volumes/Disk/Library\"\n"
                        "Copyright = \"\"\n"
                        "MyStuffURL = http://example.org/x   \n"
                        "WebBannerURL =    \n"
                        "QueryUserDate = \"open ended\n"
                        "PrinterName = \"Desk\" trailing\n");
    Copyright = "before";
    LoadProfile(-1);
    EXPECT_STREQ(CDPath.GetText(), "/Volumes/Disk/Library");
    EXPECT_STREQ(OrigCDPath.GetText(), "/Volumes/Disk/Library");
    EXPECT_STREQ(Copyright.GetText(), "") << "two double quotes give the empty text";
    EXPECT_STREQ(MyStuffURL.GetText(), "http://example.org/x");
    EXPECT_STREQ(WebBannerURL.GetText(), "");
    EXPECT_STREQ(QueryUserDate.GetText(), "open ended")
        << "a missing closing quote ends at the end of the text";
    EXPECT_STREQ(PrinterName.GetText(), "Desk");
}

TEST_F(Profile, RectanglesAndFonts)
{
    WriteProgramProfile("DocRect = 10 20 300 400\n"
                        "GlobalLocation = 5 6\n"
                        "PreviewFont = \"Geneva\" 1 12\n"
                        "StatusFont = Geneva 1 12\n"
                        "AngleIncrement = 70000\n");
    LoadProfile(-1);
    EXPECT_EQ(DocRect.left, 10);
    EXPECT_EQ(DocRect.top, 20);
    EXPECT_EQ(DocRect.right, 300);
    EXPECT_EQ(DocRect.bottom, 400);
    EXPECT_EQ(GlobalLocation.left, 5);
    EXPECT_EQ(GlobalLocation.top, 6);
    EXPECT_EQ(GlobalLocation.right, 0) << "missing numbers are 0";
    EXPECT_STREQ(PreviewFont.name.GetText(), "Geneva");
    EXPECT_EQ(PreviewFont.style, 1);
    EXPECT_EQ(PreviewFont.size, 12);
    EXPECT_STREQ(StatusFont.name.GetText(), "Geneva 1 12") << "without quotes the whole text is the name";
    EXPECT_EQ(StatusFont.style, 0);
    EXPECT_EQ(StatusFont.size, 0);
    EXPECT_EQ(AngleIncrement, 70000) << "a 32-bit setting keeps values beyond 16 bits";
}

TEST_F(Profile, NumbersThatDoNotParseBecomeZero)
{
    WriteProgramProfile("UndoCount = abc\n"
                        "PolyPoints = 12abc\n"
                        "YieldCount = 99999999999999999999\n"
                        "AngleTolerance = -7\n");
    LoadProfile(-1);
    EXPECT_EQ(UndoCount, 0);
    EXPECT_EQ(PolyPoints, 12);
    EXPECT_EQ(YieldCount, INT32_MAX) << "out of range is clamped, not undefined";
    EXPECT_EQ(AngleTolerance, -7);
}

TEST_F(Profile, UserProfileWinsAndLastLineWithinAFileWins)
{
    WriteProgramProfile("UndoCount = 3\nUndoCount = 4\nPolyPoints = 50\nCDPath = /program\n");
    WriteUserProfile("UndoCount = 20\r\nCDPath = /user\r\n");
    LoadProfile(-1);
    EXPECT_EQ(UndoCount, 20);
    EXPECT_EQ(PolyPoints, 50);
    EXPECT_STREQ(CDPath.GetText(), "/user");
    EXPECT_EQ(YieldCount, 100) << "a key in neither file keeps its default";
    for (CProfileEntry* entry = FirstProfileEntry(); entry; entry = entry->itsNext)
        EXPECT_FALSE(entry->IsChanged()) << entry->GetKey().GetText();
}

TEST_F(Profile, LoadingOneGroupAppliesOnlyThatGroup)
{
    WriteProgramProfile("UndoCount = 3\nCDPath = /seven\n");
    LoadProfile(7);
    EXPECT_EQ(UndoCount, 10) << "group 0 is left alone";
    EXPECT_STREQ(CDPath.GetText(), "/seven");
}

TEST_F(Profile, LastLineWithoutLineBreakIsLost)
{
    WriteProgramProfile("UndoCount = 3\nPolyPoints = 9");
    LoadProfile(-1);
    EXPECT_EQ(UndoCount, 3);
    EXPECT_EQ(PolyPoints, 200);
}

TEST_F(Profile, LongLinesAreReadInPieces)
{
    // 1024 characters fill the line; the next one is dropped and the rest of
    // the physical line is read as a line of its own.
    const std::string head = "Copyright = ";
    const std::string value(1024 - head.size(), 'x');
    WriteProgramProfile(head + value + "!" + "UndoCount = 7\n");
    LoadProfile(-1);
    EXPECT_EQ(std::string(Copyright.GetText()), value);
    EXPECT_EQ(UndoCount, 7);
}

TEST_F(Profile, ReadLineSkipsEmptyLinesAndFailsAtTheEnd)
{
    const std::string path = itsTemp.Write("lines.txt", "\r\n\r\nfirst\r\rsecond\nunfinished");
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    Cstring line;
    ASSERT_TRUE(ReadLine(file, line));
    EXPECT_STREQ(line.GetText(), "first");
    ASSERT_TRUE(ReadLine(file, line));
    EXPECT_STREQ(line.GetText(), "second");
    EXPECT_FALSE(ReadLine(file, line));
    std::fclose(file);

    Cstring key;
    Cstring value;
    int index = 0;
    ReadEntryLine("  Names [12] = \"a b\"  ", key, index, value);
    EXPECT_STREQ(key.GetText(), "Names [12]");
    EXPECT_EQ(index, 12);
    EXPECT_STREQ(value.GetText(), "\"a b\"");
    ReadEntryLine("Key", key, index, value);
    EXPECT_EQ(index, -1);
    EXPECT_STREQ(value.GetText(), "");
}

TEST_F(Profile, RandomBytesLoadWithoutHarm)
{
    std::mt19937 random(42);
    std::string noise;
    for (int i = 0; i < 200000; ++i)
        noise.push_back(static_cast<char>(random()));
    noise += "\nUndoCount = 5\n";
    WriteProgramProfile(noise);
    WriteUserProfile(std::string(5000, '[') + "\n" + std::string(3000, '"') + "\n");
    LoadProfile(-1);
    EXPECT_EQ(UndoCount, 5) << "a good line after the noise is still read";
    GetProfileString("LanguageResFileName");
}

TEST_F(Profile, GetProfileStringReadsBeforeLoading)
{
    WriteProgramProfile("LanguageResFileName = \"German.json\"\nPrinterName = Desk\n");
    EXPECT_STREQ(GetProfileString("languageresfilename").GetText(), "German.json")
        << "the request ignores case";
    EXPECT_TRUE(LanguageResFileName.IsEmpty()) << "nothing is applied";
    EXPECT_TRUE(GetProfileString("NoSuchKey").IsEmpty());

    WriteUserProfile("LanguageResFileName = French.json\nPrinterName = \"\"\n");
    EXPECT_STREQ(GetProfileString("LanguageResFileName").GetText(), "French.json");
    EXPECT_STREQ(GetProfileString("PrinterName").GetText(), "Desk") << "an empty user value does not win";
}

TEST_F(Profile, EveryEntryTypeWritesWhatItParses)
{
    struct Case {
        int itsType;
        const char* itsText;
    };
    const Case cases[] = {
        { kProfileString, "\"a b\"" },
        { kProfileInt, "-12" },
        { kProfileShort, "7" },
        { kProfileLong, "123456" },
        { kProfileDouble, "1.500000" },
        { kProfileRect, "10 20 300 400" },
        { kProfilePair, "1 2" },
        { kProfileSevenNumbers, "1 2 3 4 5 6 7" },
        { kProfileFont, "\"Geneva\" 1 12" },
        { kProfileLongArray, "3 4 5 6 " },
        { kProfileDoubleArray, "1 0.500000 " },
    };
    // Room for the largest bound value of every type.
    union Storage {
        Storage() { }
        ~Storage() { }
        int32_t itsNumbers[8];
        double itsDouble;
        CShortRect itsRect;
    };
    for (const Case& test : cases) {
        Cstring text;
        CProfileFont font;
        CLongArray longs;
        CDoubleArray doubles;
        Storage storage;
        void* variable = test.itsType == kProfileString ? static_cast<void*>(&text)
            : test.itsType == kProfileFont              ? static_cast<void*>(&font)
            : test.itsType == kProfileLongArray         ? static_cast<void*>(&longs)
            : test.itsType == kProfileDoubleArray       ? static_cast<void*>(&doubles)
                                                        : static_cast<void*>(&storage);
        CProfileEntry* entry = MakeProfileEntry(test.itsType, 0, "Key", variable);
        ASSERT_NE(entry, nullptr) << test.itsType;
        entry->Parse(test.itsText);
        entry->Apply();
        entry->Capture();
        EXPECT_EQ(std::string(entry->Write().GetText()), std::string("Key = ") + test.itsText + "\n")
            << test.itsType;
        delete entry;
    }
}

TEST(ProfileDeathTest, RegisteringNothingIsAProgrammingError)
{
    EXPECT_DEATH(RegisterEntry(nullptr), "failed assertion `pObj!=NULL'");
}
