#include "foundation/Profile.h"
#include "foundation/ProfileText.h"
#include "support/ScopedTextSource.h"
#include "support/ScopedVariable.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each test gets a program folder and a Preferences folder of its own and a
// freshly registered set of entries at their defaults.
class Profile : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void Reset()
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

// What a program profile's lines load into, told by each entry as it would
// write it.
TEST_F(Profile, LinesLoadAsTheirEntriesParseThem)
{
    struct Case {
        const char* itsName;
        std::string itsText;
        std::vector<std::pair<const char*, std::string>> itsLoaded;
    };
    const std::string head = "Copyright = ";
    const std::string longValue(1024 - head.size(), 'x');
    const Case cases[] = {
        { "keys are case-sensitive, with or without =; an index makes another key",
            "AutoSaveTickCount = 12\n  UndoCount 13\npolypoints = 99\nPolyPoints[1] = 7\nNoSuchKey = 5\n= "
            "4\n",
            { { "AutoSaveTickCount", "12" }, { "UndoCount", "13" }, { "PolyPoints", "200" } } },
        { "texts quoted or not",
            "CDPath = /Volumes/Disk/Library\nOrigCDPath = \"/Volumes/Disk/Library\"\nCopyright = \"\"\n"
            "MyStuffURL = http://example.org/x   \nWebBannerURL =    \nQueryUserDate = \"open ended\n"
            "PrinterName = \"Desk\" trailing\n",
            { { "CDPath", "\"/Volumes/Disk/Library\"" }, { "OrigCDPath", "\"/Volumes/Disk/Library\"" },
                { "Copyright", "\"\"" }, { "MyStuffURL", "\"http://example.org/x\"" },
                { "WebBannerURL", "\"\"" }, { "QueryUserDate", "\"open ended\"" },
                { "PrinterName", "\"Desk\"" } } },
        { "rectangles, fonts and 32-bit numbers",
            "DocRect = 10 20 300 400\nGlobalLocation = 5 6\nPreviewFont = \"Geneva\" 1 12\n"
            "StatusFont = Geneva 1 12\nAngleIncrement = 70000\n",
            { { "DocRect", "10 20 300 400" }, { "GlobalLocation", "5 6 0 0" },
                { "PreviewFont", "\"Geneva\" 1 12" }, { "StatusFont", "\"Geneva 1 12\" 0 0" },
                { "AngleIncrement", "70000" } } },
        { "numbers that do not parse, out of range or negative",
            "UndoCount = abc\nPolyPoints = 12abc\nYieldCount = 99999999999999999999\nAngleTolerance = -7\n",
            { { "UndoCount", "0" }, { "PolyPoints", "12" }, { "YieldCount", "2147483647" },
                { "AngleTolerance", "-7" } } },
        { "a last line without its line break is lost", "UndoCount = 3\nPolyPoints = 9",
            { { "UndoCount", "3" }, { "PolyPoints", "200" } } },
        // 1024 characters fill a line; the next one is dropped and the rest of
        // the physical line is read as a line of its own.
        { "long lines are read in pieces", head + longValue + "!" + "UndoCount = 7\n",
            { { "Copyright", "\"" + longValue + "\"" }, { "UndoCount", "7" } } },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        Reset();
        Copyright = "before";
        WriteProgramProfile(test.itsText);
        LoadProfile(-1);
        for (const auto& [key, value] : test.itsLoaded) {
            CProfileEntry* entry = FindProfileEntry(key);
            ASSERT_NE(entry, nullptr) << key;
            entry->Capture();
            EXPECT_EQ(std::string(entry->Write().GetText()), std::string(key) + " = " + value + "\n");
        }
    }
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
    WriteProgramProfile(RandomBytes(200000, 42) + "\nUndoCount = 5\n");
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
    for (const Case& test : cases) {
        Cstring text;
        CProfileFont font;
        CLongArray longs;
        CDoubleArray doubles;
        alignas(double) unsigned char storage[64] = {}; // room for the number types' values
        void* variable = test.itsType == kProfileString ? static_cast<void*>(&text)
            : test.itsType == kProfileFont              ? static_cast<void*>(&font)
            : test.itsType == kProfileLongArray         ? static_cast<void*>(&longs)
            : test.itsType == kProfileDoubleArray       ? static_cast<void*>(&doubles)
                                                        : static_cast<void*>(storage);
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
