#include "support/ReaderComparison.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"
#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"

#include <functional>
#include <gmock/gmock.h>
#include <tuple>
#include <zip.h>

namespace {

// Compressible, so that deflated entries span many blocks of both sizes.
std::string Text(size_t theCount)
{
    std::string text;
    for (size_t i = 0; text.size() < theCount; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of the quilt\n";
    text.resize(theCount);
    return text;
}

// Whatever an archive holds, our reader must give what libzip gives.
class ReaderAgainstLibzip : public ::testing::Test {
protected:
    // With the password, none and a wrong one.
    void ExpectSameWithAnyPassword(const std::string& theBytes, const std::string& theCase)
    {
        const std::string path = itsTemp.Write("archive.zip", theBytes);
        for (const std::string& password : { itsPassword, std::string(), std::string("not the key") })
            EXPECT_EQ(CompareReaders(path, password), "")
                << theCase << " with password \"" << password << "\"";
    }

    // itsGood changed by theChange.
    void Mutated(const std::function<void(std::string&)>& theChange, const std::string& theCase)
    {
        std::string bytes = itsGood;
        theChange(bytes);
        ExpectSameWithAnyPassword(bytes, theCase);
    }

    TempFolder itsTemp;
    std::string itsPassword = KeyText();
    std::string itsGood;
};

TEST_F(ReaderAgainstLibzip, ArchivesOfTheExtractionTests)
{
    const std::string root = itsTemp.Path().string();
    std::vector<RawZipEntry> entries = { { "NewFiles/", "" }, { "NewFiles/Readme.txt", "hello\n" },
        { "NewFiles/empty.dat", "" }, { "NewFiles/big.dat", RandomBytes(70000, 1) },
        { "NewFiles/bad.dat", RandomBytes(50000, 3), true },
        { std::string("NewFiles/a\0/../../x", 19), "evil" }, { "../x", "1" },
        { "/" + root + "/escaped", "2" }, { "NewFiles/" + std::string(1200, 'n'), "deep" } };
    ExpectSameWithAnyPassword(RawZip(entries), "stored");
    ExpectSameWithAnyPassword(RawZip(entries, itsPassword), "encrypted");
    ExpectSameWithAnyPassword(RawZip({}), "empty archive");
    ExpectSameWithAnyPassword("", "empty file");
    ExpectSameWithAnyPassword("this is not a zip file", "no archive");
    // libzip refuses the same name twice when it checks consistency.
    ExpectSameWithAnyPassword(RawZip({ { "NewFiles/a", "1" }, { "NewFiles/a", "2" } }), "repeated name");
    ExpectSameWithAnyPassword(RawZip({ { "NewFiles/a", "1" }, { "newfiles/a", "2" } }), "names by case");
}

// Pack's archives are Extraction.ArchiveFromPackRoundTrips's and PasswordFailures's.
TEST_F(ReaderAgainstLibzip, ArchivesFromInfoZip)
{
    const std::string source = itsTemp / "src";
    itsTemp.Write("src/NewFiles/Readme.txt", "hello\n");
    itsTemp.Write("src/NewFiles/empty.dat", "");
    itsTemp.Write("src/NewFiles/Help/index.html", Text(30000));
    itsTemp.Write("src/NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5", RandomBytes(300000, 2));

    // libzip 1.7.3 refuses what zip -fz writes (the top folder's local header
    // asks for version 4.5, its directory entry for 1.0); we read it.
    for (const std::string options : { "-P", "-fz -P" }) {
        const std::string archive = itsTemp / "infozip.zip";
        std::filesystem::remove(archive);
        ASSERT_EQ(RunProgram("cd " + ShellQuote(source) + " && zip -q -r " + options + " "
                      + ShellQuote(itsPassword) + " " + ShellQuote(archive) + " NewFiles")
                      .status,
            0);
        ExpectSameWithAnyPassword(ReadWholeFile(archive), "zip " + options);
        EXPECT_THAT(ReadWithOurs(archive, itsPassword), ::testing::Contains(Text(30000))) << options;
    }
    // Info-ZIP writing to a pipe (a descriptor, the password checked by the
    // time) is PeerWriters.WhatUnzipExtractsWeReadToTheByte's.
}

TEST_F(ReaderAgainstLibzip, EveryKindOfEntry)
{
    for (const bool bZip64End : { false, true }) {
        ZipRecipe recipe { {}, itsPassword, bZip64End, "" };
        std::vector<std::string> expected;
        int seed = 0;
        for (uint16_t method : { 0, 8 })
            for (bool bEncrypted : { false, true })
                for (bool bZip64 : { false, true })
                    for (bool bDescriptor : { false, true })
                        for (size_t size : { 0, 1, 70001 }) {
                            ZipRecipeEntry entry;
                            entry.itsName = "NewFiles/" + std::to_string(recipe.itsEntries.size());
                            entry.itsData = size > 1 && method == 8 ? Text(size) : RandomBytes(size, ++seed);
                            entry.itsMethod = method;
                            entry.bEncrypted = bEncrypted;
                            entry.bZip64 = bZip64;
                            entry.bDescriptor = bDescriptor;
                            recipe.itsEntries.push_back(entry);
                            expected.push_back(entry.itsData);
                        }
        const std::string bytes = BuildZip(recipe);
        ExpectSameWithAnyPassword(bytes, bZip64End ? "zip64 end record" : "plain end record");
        EXPECT_EQ(ReadWithOurs(itsTemp.Write("decoded.zip", bytes), itsPassword), expected);
    }
}

TEST_F(ReaderAgainstLibzip, DamagedEntries)
{
    const std::string data = Text(100000);
    const std::string deflated = Deflate(data);
    const auto one = [&](uint16_t theMethod, const std::function<void(ZipRecipeEntry&)>& theDamage,
                         const std::string& theCase) {
        ZipRecipeEntry theEntry = StoredEntry("NewFiles/x", data);
        theEntry.itsMethod = theMethod;
        theDamage(theEntry);
        for (bool bEncrypted : { false, true }) {
            theEntry.bEncrypted = bEncrypted;
            ExpectSameWithAnyPassword(BuildZip({ { theEntry }, itsPassword, false, "" }), theCase);
        }
    };
    using Damage = std::function<void(ZipRecipeEntry&)>;
    const std::pair<const char*, Damage> eitherMethod[] = {
        { "CRC damaged", [](ZipRecipeEntry& e) { e.itsCrcDamage = 1; } },
        { "one byte more declared", [](ZipRecipeEntry& e) { e.itsSizeDamage = 1; } },
        { "one byte less declared", [](ZipRecipeEntry& e) { e.itsSizeDamage = -1; } },
        { "nothing declared", [](ZipRecipeEntry& e) { e.itsSizeDamage = -100000; } },
        { "local name differs", [](ZipRecipeEntry& e) { e.itsLocalName = "NewFiles/y"; } },
        { "strong encryption", [](ZipRecipeEntry& e) { e.itsMoreFlags = 0x40; } },
    };
    for (uint16_t method : { 0, 8 })
        for (const auto& [name, damage] : eitherMethod)
            one(method, damage, std::string(method ? "deflated, " : "stored, ") + name);
    const std::tuple<uint16_t, const char*, Damage> others[] = {
        { 8, "deflate data cut short",
            [&](ZipRecipeEntry& e) { e.itsStored = deflated.substr(0, deflated.size() / 2); } },
        { 8, "bytes after the deflate data",
            [&](ZipRecipeEntry& e) { e.itsStored = deflated + "trailing"; } },
        { 8, "not deflate data", [](ZipRecipeEntry& e) { e.itsStored = std::string(64, '\xff'); } },
        { 8, "deflate data damaged",
            [&](ZipRecipeEntry& e) { e.itsStored = deflated.substr(0, 20) + RandomBytes(5000, 9); } },
        { 8, "a bomb",
            [](ZipRecipeEntry& e) {
                e.itsData = std::string(1 << 20, 'z');
                e.itsSizeDamage = -(1 << 19);
            } },
        { 12, "bzip2", [](ZipRecipeEntry&) {} },
        { 99, "WinZip AES", [](ZipRecipeEntry&) {} },
        { 14, "LZMA", [](ZipRecipeEntry&) {} },
        { 0, "a date that does not exist",
            [](ZipRecipeEntry& e) {
                e.itsDosTime = 0xFFFF;
                e.itsDosDate = 0;
            } },
    };
    for (const auto& [method, name, damage] : others)
        one(method, damage, name);
}

TEST_F(ReaderAgainstLibzip, DamagedDirectories)
{
    itsGood = RawZip({ { "NewFiles/a", "alpha" }, { "NewFiles/b", RandomBytes(3000, 4) } });
    const size_t end = itsGood.rfind("PK\x05\x06");
    const size_t central = itsGood.find("PK\x01\x02");
    const size_t second = itsGood.find("PK\x01\x02", central + 4);
    Mutated([&](std::string& b) { Patch16(b, end + 10, 3); }, "count too large");
    Mutated([&](std::string& b) { Patch16(b, end + 8, 1), Patch16(b, end + 10, 1); }, "count too small");
    Mutated([&](std::string& b) { Patch16(b, end + 8, 1); }, "counts disagree");
    Mutated(
        [&](std::string& b) { Patch32(b, end + 12, static_cast<uint32_t>(end - central + 1)); }, "size past");
    Mutated([&](std::string& b) { Patch32(b, end + 12, static_cast<uint32_t>(end - central - 1)); },
        "size short");
    Mutated(
        [&](std::string& b) { Patch32(b, end + 16, static_cast<uint32_t>(central + 1)); }, "offset moved");
    Mutated([&](std::string& b) { Patch32(b, end + 16, 0xFFFFFFF0u); }, "offset past the file");
    Mutated([&](std::string& b) { Patch32(b, end + 4, 1); }, "another disk");
    Mutated([&](std::string& b) { Patch16(b, end + 20, 5); }, "comment longer than the file");
    Mutated([&](std::string& b) { b += "tail"; }, "bytes after the end record");
    Mutated([&](std::string& b) { Patch16(b, end + 20, 26), b += "PK\x05\x06" + std::string(22, 'c'); },
        "end signature in the comment");
    Mutated([&](std::string& b) { b[central + 1] = 'X'; }, "directory signature");
    Mutated([&](std::string& b) { Patch32(b, second + 42, 1); }, "local offset into the first entry");
    Mutated([&](std::string& b) { Patch32(b, second + 42, static_cast<uint32_t>(central)); }, "local at dir");
    Mutated([&](std::string& b) { Patch32(b, second + 42, 0xFFFFFFFFu); }, "zip64 offset without its field");
    Mutated([&](std::string& b) { Patch32(b, second + 20, 0xFFFFFFFFu); }, "zip64 size without its field");
    Mutated([&](std::string& b) { Patch16(b, second + 28, 200); }, "name past the directory");
    Mutated([&](std::string& b) { Patch16(b, central + 30, 3); }, "extra field of three bytes");
    Mutated([&](std::string& b) { Patch16(b, central + 8, 0x800), b[central + 46] = '\xff'; }, "bad UTF-8");
    Mutated(
        [&](std::string& b) { Patch16(b, central + 8, 0x800), b[central + 46] = '\x01'; }, "control char");
    Mutated([&](std::string& b) { Patch16(b, central + 8, 0x800); }, "UTF-8 flag on a plain name");
    Mutated([&](std::string& b) { b[0] = 'X'; }, "local signature");
    Mutated([&](std::string& b) { Patch32(b, 18, 4); }, "local compressed size");
    Mutated([&](std::string& b) { Patch16(b, 8, 8); }, "local method");
    Mutated([&](std::string& b) { Patch16(b, 10, 1); }, "local time");
    for (size_t cut : { size_t { 1 }, size_t { 21 }, end - central, itsGood.size() - 30, itsGood.size() - 1 })
        Mutated([&](std::string& b) { b.resize(b.size() - cut); }, "cut by " + std::to_string(cut));
}

TEST_F(ReaderAgainstLibzip, DamagedZip64EndRecords)
{
    ZipRecipe recipe { {}, itsPassword, true, "" };
    for (int i = 0; i < 3; ++i)
        recipe.itsEntries.push_back(StoredEntry("NewFiles/" + std::to_string(i), Text(1000)));
    itsGood = BuildZip(recipe);
    const size_t locator = itsGood.size() - 22 - 20;
    const size_t record = locator - 56;
    Mutated(
        [&](std::string& b) { Patch32(b, locator + 8, static_cast<uint32_t>(record + 1)); }, "locator off");
    Mutated([&](std::string& b) { Patch32(b, locator + 12, 0x80000000u); }, "locator past any file");
    Mutated([&](std::string& b) { Patch32(b, locator + 4, 1); }, "locator on another disk");
    Mutated([&](std::string& b) { b[record + 1] = 'X'; }, "record signature");
    Mutated([&](std::string& b) { Patch32(b, record + 4, 45); }, "record size");
    Mutated([&](std::string& b) { Patch32(b, record + 20, 1); }, "record on another disk");
    Mutated([&](std::string& b) { Patch32(b, record + 24, 2); }, "counts disagree");
    Mutated(
        [&](std::string& b) { Patch32(b, record + 24, 4), Patch32(b, record + 32, 4); }, "count too large");
    Mutated(
        [&](std::string& b) { Patch32(b, record + 24, 2), Patch32(b, record + 32, 2); }, "count too small");
    Mutated([&](std::string& b) { Patch32(b, record + 40, 10); }, "size short");
    Mutated([&](std::string& b) { Patch32(b, record + 44, 1); }, "size huge");
    Mutated([&](std::string& b) { Patch32(b, record + 48, 1); }, "offset moved");
    Mutated([&](std::string& b) { Patch32(b, record + 52, 0x80000000u); }, "offset past any file");
}

TEST(ZipDirectoryCursor, WalksAgainAfterRewind)
{
    TempFolder temp;
    const std::string path = temp.Write("a.zip", RawZip({ { "one", "1" }, { "two", "22" } }));
    CZipArchiveFile archive;
    ASSERT_EQ(archive.Open(path.c_str()), 0);
    EXPECT_EQ(archive.GetEntryCount(), 2u);
    CZipDirectoryCursor cursor(archive);
    CZipEntry entry;
    int error = -1;
    std::vector<std::string> names;
    for (int pass = 0; pass < 2; ++pass, cursor.Rewind())
        while (cursor.Next(entry, error))
            names.push_back(entry.itsName + "@" + std::to_string(entry.itsIndex));
    EXPECT_EQ(error, 0);
    EXPECT_THAT(names, ::testing::ElementsAre("one@0", "two@1", "one@0", "two@1"));
    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.Open((temp / "missing.zip").c_str()), ZIP_ER_NOENT);
}

TEST(ZipDirectoryCursor, CountThatWrappedAroundIsAccepted)
{
    // Writers that avoid zip64 records store the count modulo 65,536.
    std::vector<RawZipEntry> entries(65537);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].itsName = std::to_string(i);
    TempFolder temp;
    const std::string path = temp.Write("many.zip", RawZip(entries));
    CZipArchiveFile archive;
    ASSERT_EQ(archive.Open(path.c_str()), 0);
    EXPECT_EQ(archive.GetEntryCount(), 65537u);
}

} // namespace
