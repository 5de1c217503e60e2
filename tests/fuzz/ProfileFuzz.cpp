// The settings profile. An input is the program profile, a zero byte, and
// the user's profile; both are loaded as start-up loads them. Every line's
// value is also read by an entry of every type, whose written line must read
// back to the same line.

#include "FuzzSupport.h"
#include "foundation/Profile.h"
#include "foundation/ProfileText.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kProfileName[] = "Patchwell Settings.txt";

const int kTypes[] = { kProfileString, kProfileInt, kProfileShort, kProfileLong, kProfileDouble, kProfileRect,
    kProfileText, kProfileLongValue, kProfilePair, kProfileTwoPairs, kProfileSevenNumbers, kProfileSixNumbers,
    kProfileThreeNumbers, kProfileFont, kProfileLongArray, kProfileDoubleArray, kProfileLongList };

// A string without escaping cannot hold its own quote.
bool CanQuote(int theType, const char* theValue)
{
    if (theType != kProfileString && theType != kProfileText && theType != kProfileFont)
        return true;
    Cstring text;
    ParseQuoted(theValue, text);
    return !std::strchr(text.GetText(), '"');
}

void CheckWriteReadsBack(int theType, const char* theValue)
{
    Cstring stringVariable;
    CLongArray longs;
    CDoubleArray doubles;
    CProfileFont font;
    alignas(double) unsigned char any[64] = {}; // room for the number types' values
    void* variable = any;
    if (theType == kProfileString || theType == kProfileText)
        variable = &stringVariable;
    else if (theType == kProfileFont)
        variable = &font;
    else if (theType == kProfileLongArray || theType == kProfileLongList)
        variable = &longs;
    else if (theType == kProfileDoubleArray)
        variable = &doubles;

    CProfileEntry* first = MakeProfileEntry(theType, 0, "Key", variable);
    CProfileEntry* second = MakeProfileEntry(theType, 0, "Key", variable);
    first->Parse(theValue);
    const Cstring line = first->Write();
    first->Apply();
    second->Capture();
    PW_FUZZ_CHECK(
        second->Write() == line, "type %d: the variable holds other than \"%s\"", theType, line.GetText());
    Cstring text(line);
    text.TrimTrailing('\n');
    Cstring key;
    Cstring value;
    int index = 0;
    ReadEntryLine(text.GetText(), key, index, value);
    PW_FUZZ_CHECK(
        key == Cstring("Key") && index == -1, "type %d wrote the line \"%s\"", theType, line.GetText());
    second->Parse(value.GetText());
    PW_FUZZ_CHECK(second->Write() == line || !CanQuote(theType, theValue),
        "type %d: \"%s\" read back as \"%s\"", theType, line.GetText(), second->Write().GetText());
    delete first;
    delete second;
}

FuzzSeeds Seeds()
{
    return {
        { "numbers", "AutoSaveTickCount = 12\nAngleIncrement 7\nautosavetickcount = 3\n" },
        { "strings", "CDPath = \"/Volumes/Disk/Library\"\nMyFilesPath = /x  \nCopyright = \"\"\n" },
        { "rect-font", "DocRect = 10 20 300 400\nPreviewFont = \"Geneva\" 1 12\nStatusFont = Helv\n" },
        { "both",
            std::string("LanguageResFileName = \"a.json\"\n") + '\0' + "LanguageResFileName = b.json\n" },
        { "index-and-lists", "Key[3] = \"x\"\nList = 3 1 2 3 \nReals = 2 1.5 -2e9 \n\r\n" },
        { "long-line", std::string(1500, 'A') + " = 1\n" },
    };
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    setenv("XDG_CONFIG_HOME", (FuzzScratch() / "config").c_str(), 1);
    std::filesystem::create_directories(FuzzScratch() / "config" / "Patchwell");
    std::filesystem::create_directories(FuzzScratch() / "program");
    SetProfileFileName(kProfileName);
    return FuzzInitialize(pArgc, pArgv, Seeds);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    CFuzzInput input(theData, theSize);
    const std::string program = input.Until(0);
    const std::string user = input.Rest();
    WriteFuzzFile(FuzzScratch() / "program" / kProfileName, program);
    WriteFuzzFile(FuzzScratch() / "config" / "Patchwell" / kProfileName, user);

    SetProfileDefaults();
    BaseProgramPath = (FuzzScratch() / "program").c_str();
    GetProfileString("LanguageResFileName");
    LoadProfile(-1);

    CFuzzInput lines(reinterpret_cast<const uint8_t*>(program.data()), program.size());
    for (int count = 0; !lines.IsEmpty() && count < 8; ++count) {
        Cstring key;
        Cstring value;
        int index = 0;
        ReadEntryLine(lines.Until('\n').c_str(), key, index, value);
        for (const int type : kTypes)
            CheckWriteReadsBack(type, value.GetText());
    }
    return 0;
}
