#include "foundation/Cstring.h"
#include "support/CraftedArchive.h"
#include "support/ReaderComparison.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"

#include <filesystem>
#include <functional>
#include <gmock/gmock.h>

namespace fs = std::filesystem;

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Archives that other zip writers make at test time, read by us and
// extracted by unzip: every file the same to the byte. A writer that is not
// installed skips its case (scripts/packages.sh installs them all).
struct PeerWriter {
    const char* itsName;
    std::vector<const char*> itsPrograms; // the first one installed writes
    // Run in the folder that holds NewFiles/: PROGRAM, OUT (the archive) and
    // KEY (the password, quoted) are replaced.
    std::string itsCommand;
    bool bEncrypted = false;
};

// Python's zipfile, into theArchive (a file name, or the pipe to cat).
std::string PythonZip(const std::string& theArchive, const std::string& theOutput)
{
    return "PROGRAM -c '\n"
           "import os, sys, zipfile\n"
           "with zipfile.ZipFile("
        + theArchive
        + ", \"w\", zipfile.ZIP_DEFLATED) as archive:\n"
          "    for folder, folders, files in sorted(os.walk(\"NewFiles\")):\n"
          "        archive.write(folder)\n"
          "        for name in sorted(files):\n"
          "            archive.write(os.path.join(folder, name))\n"
          "' "
        + theOutput;
}

// Named in a failure's message by its name, not its bytes.
void PrintTo(const PeerWriter& theCase, std::ostream* pOut)
{
    *pOut << theCase.itsName;
}

const PeerWriter kWriters[] = {
    { "bsdtar_file", { "bsdtar" }, "PROGRAM -c --format zip -f OUT NewFiles" },
    { "bsdtar_pipe", { "bsdtar" }, "PROGRAM -c --format zip -f - NewFiles | cat > OUT" },
    { "zip_pipe", { "zip" }, "PROGRAM -q -r - NewFiles | cat > OUT" },
    { "zip_pipe_password", { "zip" }, "PROGRAM -q -r -P KEY - NewFiles | cat > OUT", true },
    { "sevenzip", { "7z", "7zz" }, "PROGRAM a -bd -bso0 -tzip OUT NewFiles" },
    { "sevenzip_password", { "7z", "7zz" }, "PROGRAM a -bd -bso0 -tzip -mem=ZipCrypto -pKEY OUT NewFiles",
        true },
    { "python_file", { "python3" }, PythonZip("sys.argv[1]", "OUT") },
    // Written to a pipe, the sizes follow each entry's data.
    { "python_pipe", { "python3" }, PythonZip("sys.stdout.buffer", "| cat > OUT") },
    { "jar", { "jar", "fastjar" }, "PROGRAM cfM OUT NewFiles" },
};

std::string Installed(const std::vector<const char*>& thePrograms)
{
    for (const char* program : thePrograms)
        if (RunProgram(std::string("command -v ") + program + " >/dev/null").status == 0)
            return program;
    return "";
}

class PeerWriters : public ::testing::TestWithParam<PeerWriter> {
protected:
    void SetUp() override
    {
        itsTemp.Write("src/NewFiles/Readme.txt", "hello\n");
        itsTemp.Write("src/NewFiles/empty.dat", "");
        itsTemp.Write("src/NewFiles/Help/index with spaces.html", std::string(40000, 'h') + "tml");
        itsTemp.Write("src/NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5", RandomBytes(300000, 5));
        fs::create_directories(itsTemp.Path() / "src/NewFiles/Empty folder");
    }

    TempFolder itsTemp;
};

TEST_P(PeerWriters, WhatUnzipExtractsWeReadToTheByte)
{
    const PeerWriter& writer = GetParam();
    const std::string program = Installed(writer.itsPrograms);
    if (program.empty())
        GTEST_SKIP() << writer.itsPrograms.front() << " is not installed";
    if (Installed({ "unzip" }).empty())
        GTEST_SKIP() << "unzip is not installed";
    const std::string key = KeyText();
    const std::string archive = itsTemp / "out.zip";
    Cstring command(writer.itsCommand.c_str());
    command.Replace("PROGRAM", program.c_str());
    command.Replace("OUT", ShellQuote(archive).c_str());
    command.Replace("KEY", ShellQuote(key).c_str());
    const ProgramRun written = RunProgram("cd " + ShellQuote(itsTemp / "src") + " && " + command.GetText());
    ASSERT_EQ(written.status, 0) << command.GetText() << "\n" << written.output;

    const std::string password = writer.bEncrypted ? "-P " + ShellQuote(key) + " " : "";
    const ProgramRun unzipped = RunProgram(
        "unzip -q " + password + ShellQuote(archive) + " -d " + ShellQuote(itsTemp / "unzipped"));
    ASSERT_EQ(unzipped.status, 0) << unzipped.output;
    TreeSnapshot expected = SnapshotTree(itsTemp.Path() / "unzipped");
    std::erase_if(expected, [](const auto& theItem) { return theItem.second == "/"; }); // files alone
    ASSERT_EQ(expected.at("NewFiles/Readme.txt"), "hello\n");
    ASSERT_EQ(expected.size(), 4u) << "the writer left out files, or added some";

    TreeSnapshot ours;
    for (const std::string& entry : ReadWithOurs(archive, writer.bEncrypted ? key : "", true)) {
        const size_t equals = entry.find('=');
        ASSERT_NE(equals, std::string::npos) << entry;
        std::string name = entry.substr(0, equals);
        if (!name.empty() && name.back() != '/')
            ours[name] = entry.substr(equals + 1);
    }
    EXPECT_EQ(ours, expected);
}

INSTANTIATE_TEST_SUITE_P(Archives, PeerWriters, ::testing::ValuesIn(kWriters),
    [](const auto& theInfo) { return theInfo.param.itsName; });

// Layouts that other writers produce and other readers read, each made here
// field by field: each must read entry for entry as written, and what is
// still wrong about a layout must still be refused, with the check named.
struct LayoutCase {
    const char* itsName;
    ZipRecipeEntry itsEntry;
    // Changes the archive's bytes once written; the entry's local header is
    // at offset 0.
    std::function<void(std::string&)> itsChange;
    const char* itsRefusal; // nullptr: the entry reads as written
};

// Named in a failure's message by its name, not its bytes.
void PrintTo(const LayoutCase& theCase, std::ostream* pOut)
{
    *pOut << theCase.itsName;
}

ZipRecipeEntry Entry(uint16_t theMethod, bool bEncrypted, bool bDescriptor)
{
    ZipRecipeEntry entry = StoredEntry("NewFiles/a.txt", std::string(3000, 'h') + "ello\n");
    entry.itsMethod = theMethod;
    entry.bEncrypted = bEncrypted;
    entry.bDescriptor = bDescriptor;
    return entry;
}

// The local header's fields: CRC at 14, compressed size at 18, size at 22.
constexpr size_t kLocalCrc = 14;
constexpr size_t kLocalCompressedSize = 18;
constexpr size_t kLocalSize = 22;

class LayoutsOfOtherWriters : public ::testing::TestWithParam<LayoutCase> {
protected:
    TempFolder itsTemp;
};

TEST_P(LayoutsOfOtherWriters, ReadAsWrittenOrRefusedWithTheCheckNamed)
{
    const LayoutCase& layout = GetParam();
    std::string bytes = BuildZip({ { layout.itsEntry }, KeyText(), false, "" });
    if (layout.itsChange)
        layout.itsChange(bytes);
    const std::string path
        = WriteCraftedArchive(itsTemp, std::string("layout-") + layout.itsName + ".zip", bytes);
    const std::vector<std::string> reading = ReadWithOurs(path, KeyText());
    if (layout.itsRefusal)
        EXPECT_THAT(reading, ElementsAre(HasSubstr(layout.itsRefusal)));
    else
        EXPECT_THAT(reading, ElementsAre(layout.itsEntry.itsData));
    // libzip refuses some of these layouts; the fuzzer must know them.
    EXPECT_EQ(CompareReaders(path, KeyText()), "");
}

const uint16_t kTime = (12u << 11) | (30u << 5); // ZipRecipeEntry's

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutsOfOtherWriters,
    ::testing::Values(
        // A descriptor after the data. bsdtar -c --format zip: the CRC left at
        // zero, the size known ahead.
        LayoutCase { "bsdtar_deflated", Entry(8, false, true),
            [](std::string& b) { Patch32(b, kLocalSize, 3005); }, nullptr },
        LayoutCase { "bsdtar_stored", Entry(0, false, true),
            [](std::string& b) { Patch32(b, kLocalCompressedSize, 3005), Patch32(b, kLocalSize, 3005); },
            nullptr },
        // Info-ZIP zip -P writing to a pipe: the time where the CRC goes.
        LayoutCase { "zip_pipe_password", Entry(8, true, true),
            [](std::string& b) {
                Patch32(b, kLocalCrc, uint32_t { kTime } << 16), Patch32(b, kLocalSize, 3005);
            },
            nullptr },
        LayoutCase { "size_neither_zero_nor_the_directorys", Entry(8, false, true),
            [](std::string& b) { Patch32(b, kLocalSize, 3004); },
            "the local header's size differs from the directory's (entry NewFiles/a.txt, local header at "
            "offset 0)" },
        LayoutCase { "time_for_the_crc_unencrypted", Entry(8, false, true),
            [](std::string& b) { Patch32(b, kLocalCrc, uint32_t { kTime } << 16); },
            "the local header's CRC-32 differs from the directory's" },
        LayoutCase { "zero_crc_without_a_descriptor", Entry(0, false, false),
            [](std::string& b) { Patch32(b, kLocalCrc, 0); },
            "the local header's CRC-32 differs from the directory's" },
        // Bytes after the end record.
        LayoutCase { "one_more_byte", Entry(8, true, false), [](std::string& b) { b += '\n'; }, nullptr },
        // bsdtar writing to a pipe fills its last 10,240-byte block.
        LayoutCase { "tape_block", Entry(8, false, true),
            [](std::string& b) { b.resize((b.size() / 10240 + 1) * 10240, '\0'); }, nullptr },
        LayoutCase { "comment_past_the_end", Entry(8, false, false),
            [](std::string& b) { b[b.size() - 2] = 5; },
            "the end record's comment runs past the end of the file" }),
    [](const auto& theInfo) { return std::string(theInfo.param.itsName); });

// The tests above read one entry at offset 0; these need entries after it.
class LaterEntries : public CraftedArchives {
protected:
    std::vector<std::string> ReadBuilt(const ZipRecipe& theRecipe, const std::string& theName,
        const std::function<void(std::string&)>& theChange = nullptr)
    {
        std::string bytes = BuildZip(theRecipe);
        if (theChange)
            theChange(bytes);
        return Read(theName, bytes, KeyText());
    }
};

TEST_F(LaterEntries, LocalZip64FieldMayRecordTheHeadersOwnOffset)
{
    ZipRecipeEntry second = StoredEntry("NewFiles/b", "second");
    second.bZip64 = true;
    second.bLocalZip64Offset = true;
    const ZipRecipe recipe { { StoredEntry("NewFiles/a", "first"), second }, "", false, "" };
    EXPECT_THAT(
        ReadBuilt(recipe, "local-zip64-offset.zip"), ElementsAre("NewFiles/a=first", "NewFiles/b=second"));

    // Any other offset there is not this header's.
    const size_t first = 30 + 10 + 5; // the first entry's header, name and data
    const size_t offsetField = first + 30 + 10 + 4 + 16;
    EXPECT_THAT(ReadBuilt(recipe, "local-zip64-other-offset.zip",
                    [&](std::string& b) { Patch32(b, offsetField, static_cast<uint32_t>(first + 1)); }),
        ElementsAre("NewFiles/a=first",
            "NewFiles/b=error 21: in the local header, the zip64 extra field does not match the header "
            "(entry "
            "NewFiles/b, local header at offset 45)"));
}

// A name may hold the locator's signature where a locator would be: right
// before the end record. What follows it then leads to no zip64 end record,
// and the 32-bit end record holds every value itself.
TEST_F(LaterEntries, LocatorSignatureInANameIsNotALocator)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        { "locator-past-any-file", std::string(16, 'x') },
        { "locator-at-a-local-header", std::string(16, '\0') },
        { "locator-at-the-directory",
            std::string(4, '\0') + std::string("\x6c\0\0\0\0\0\0\0\x01\0\0\0", 12) },
    };
    for (const auto& [name, pointer] : cases) {
        SCOPED_TRACE(name);
        const std::string last = "NewFiles/PK\x06\x07" + pointer;
        const ZipRecipe recipe { { StoredEntry("NewFiles/a", "first"), StoredEntry(last, "last") }, "", false,
            "" };
        EXPECT_THAT(
            ReadBuilt(recipe, std::string(name) + ".zip"), ElementsAre("NewFiles/a=first", last + "=last"));
    }
}

} // namespace
