// The extractor on mutated archives, configured as the update run configures
// it. An input is one byte of options (bit 0: read ahead on a second thread,
// bit 1: no password, bit 2: write into a staging folder instead of the
// destination) and the archive's bytes. The destination holds a file and a
// link to a folder beside it. Whatever the archive holds, nothing may change
// outside the folder written into, no link may appear in it, and the counts
// must agree with the result.

#include "FuzzSupport.h"
#include "engine/UpdaterGlobals.h"
#include "engine/ZipExtractor.h"
#include "foundation/Profile.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"
#include "tools/ArchiveWriter.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

const char kArchiveName[] = "archive.zip";
const char kLogName[] = "log.txt";

fs::path Sandbox()
{
    return FuzzScratch() / "sandbox";
}

fs::path Destination()
{
    return Sandbox() / "dest";
}

// An update kit as the vendor tool makes it: deflated, enciphered entries
// under "NewFiles/", folders included.
std::string KitArchive()
{
    const TempFolder source;
    source.Write("Patchwell 5.app/Contents/MacOS/Patchwell 5", std::string(300, 'x') + "program");
    source.Write("Help/index.html", "<p>help</p>");
    source.Write("empty", "");
    const fs::path archive = FuzzScratch() / "kit.zip";
    CArchiveWriter writer;
    Cstring error;
    if (!writer.Write(archive.c_str(), source.Path().c_str(), "NewFiles", KeyText().c_str(), error)) {
        std::fprintf(stderr, "no kit archive: %s\n", error.GetText());
        std::abort();
    }
    std::string bytes = ReadWholeFile(archive);
    fs::remove(archive);
    return bytes;
}

// An archive whose one entry claims strong encryption (flag bits 0 and 6 in
// both headers), which the library cannot read.
std::string StrongEncryptionArchive()
{
    ZipRecipeEntry entry = StoredEntry("NewFiles/a.txt", "secret");
    entry.itsMoreFlags = 0x41;
    return BuildZip({ { entry }, "", false, "" });
}

FuzzSeeds Seeds()
{
    const std::string direct(1, '\0');
    const std::string readAhead(1, '\1');
    const std::string noPassword(1, '\2');
    return {
        { "kit", direct + KitArchive() },
        { "kit-read-ahead", readAhead + KitArchive() },
        { "stored",
            noPassword
                + RawZip({ { "NewFiles/", "" }, { "NewFiles/a.txt", "hello" },
                    { "NewFiles/sub/b.txt", std::string(70000, 'b') } }) },
        { "escapes", noPassword + RawZip({ { "NewFiles/ok", "1" }, { "NewFiles/../escape", "2" } }) },
        { "absolute", noPassword + RawZip({ { "NewFiles//tmp/x", "1" }, { "/abs", "2" } }) },
        { "repeated",
            noPassword + RawZip({ { "NewFiles/a", "1" }, { "NewFiles/a/", "" }, { "newfiles/a", "3" } }) },
        { "bad-crc", noPassword + RawZip({ { "NewFiles/a", "data", true } }) },
        { "file-over-folder", noPassword + RawZip({ { "NewFiles/a/b", "1" }, { "NewFiles/a", "2" } }) },
        { "strong-encryption", direct + StrongEncryptionArchive() },
        { "through-link", noPassword + RawZip({ { "NewFiles/link/x", "1" }, { "NewFiles/link", "2" } }) },
        { "staged", std::string(1, '\4') + KitArchive() },
    };
}

// What lies under the sandbox, but for the archive, the log and the folder
// written into.
TreeSnapshot Surroundings(const fs::path& theWritten)
{
    const std::string written = theWritten.lexically_relative(Sandbox()).string();
    TreeSnapshot snapshot = SnapshotTree(Sandbox());
    std::erase_if(snapshot, [&written](const auto& theItem) {
        const std::string& name = theItem.first;
        return name == kArchiveName || name == kLogName || name == written
            || name.rfind(written + "/", 0) == 0;
    });
    return snapshot;
}

void CheckNoLinkMade(const fs::path& theWritten, const fs::path& thePlanted)
{
    std::error_code error;
    for (auto at = fs::recursive_directory_iterator(theWritten, error);
         at != fs::recursive_directory_iterator(); at.increment(error))
        PW_FUZZ_CHECK(
            !at->is_symlink() || at->path() == thePlanted, "a link appeared: %s", at->path().c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    BaseProgramPath = (FuzzScratch() / "program").c_str();
    gMyProjectsPath = (FuzzScratch() / "projects").c_str();
    return FuzzInitialize(pArgc, pArgv, Seeds);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    CFuzzInput input(theData, theSize);
    const uint8_t options = input.Byte();
    const bool bStaged = options & 4;
    fs::create_directories(Destination());
    // Beside the destination, reached from it through the link "dest/link".
    fs::create_directories(Sandbox() / "outside");
    WriteFuzzFile(Destination() / "kept.txt", "was here");
    fs::create_directory_symlink("../outside", Destination() / "link");
    const fs::path written = bStaged ? Sandbox() / "staging" : Destination();
    fs::create_directories(written);
    const TreeSnapshot before = Surroundings(written);
    const fs::path archive = Sandbox() / kArchiveName;
    WriteFuzzFile(archive, input.Rest());
    FILE* log = std::fopen((Sandbox() / kLogName).c_str(), "w");

    int result = 0;
    uint32_t done = 0;
    uint32_t count = 0;
    {
        CZipExtractor extractor;
        extractor.SetLogFile(log);
        extractor.AddNameMapping("NewFiles/", "", "");
        static const std::string key = KeyText();
        extractor.SetPassword(options & 2 ? "" : key.c_str());
        extractor.SetOverwriteMode(CZipExtractor::kOverwriteReplace);
        extractor.SetDestination(Destination().c_str());
        if (bStaged)
            extractor.SetStagingFolder(written.c_str());
        extractor.SetReadAhead(options & 1);
        if (extractor.Open(archive.c_str()))
            result = extractor.ExtractFiles();
        done = extractor.GetFilesDone();
        count = extractor.GetFileCount();
        extractor.Close();
    }
    std::fclose(log);
    PW_FUZZ_CHECK(done <= count, "%u of %u entries done", done, count);
    PW_FUZZ_CHECK(result == 0 || done == count, "success after %u of %u entries", done, count);
    const TreeSnapshot after = Surroundings(written);
    for (const auto& [path, what] : after)
        PW_FUZZ_CHECK(before.count(path) && before.at(path) == what, "changed outside %s: %s",
            written.c_str(), path.c_str());
    PW_FUZZ_CHECK(before.size() == after.size(), "removed outside %s", written.c_str());
    CheckNoLinkMade(written, Destination() / "link");
    fs::remove_all(Sandbox());
    return 0;
}
