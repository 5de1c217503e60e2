// Our zip reader on mutated archives, with libzip as the oracle: the first
// byte of an input picks the password (bit 0: none, bit 1: a wrong one,
// otherwise the key text), the rest is the archive. Opening, walking and
// decoding every entry must never fault, and must give what libzip gives:
// the same entries, the same bytes, or a failure with the same code.

#include "FuzzSupport.h"
#include "support/ReaderComparison.h"
#include "support/ZipFixtures.h"
#include "support/ZipRecipe.h"

namespace {

std::string Recipe(bool bZip64End, bool bZip64, bool bDescriptor)
{
    ZipRecipe recipe { {}, KeyText(), bZip64End, "" };
    int i = 0;
    for (uint16_t method : { 0, 8 }) {
        for (bool bEncrypted : { false, true }) {
            ZipRecipeEntry entry;
            entry.itsName = "NewFiles/" + std::to_string(i++);
            entry.itsData = std::string(300, 'q') + RandomBytes(40, i);
            entry.itsMethod = method;
            entry.bEncrypted = bEncrypted;
            entry.bZip64 = bZip64;
            entry.bDescriptor = bDescriptor;
            recipe.itsEntries.push_back(entry);
        }
    }
    return BuildZip(recipe);
}

FuzzSeeds Seeds()
{
    const std::string key(1, '\0');
    const std::string none(1, '\1');
    return {
        { "plain", key + Recipe(false, false, false) },
        { "zip64", key + Recipe(true, true, false) },
        { "descriptor", key + Recipe(false, false, true) },
        { "no-password", none + Recipe(false, false, false) },
        { "stored", none + RawZip({ { "NewFiles/", "" }, { "NewFiles/a.txt", "hello" }, { "b", "" } }) },
        { "encrypted",
            key + RawZip({ { "NewFiles/a", RandomBytes(100, 1) }, { "c", "x", true } }, KeyText()) },
        { "empty", key + RawZip({}) },
    };
}

} // namespace

PW_FUZZ_SEEDS(Seeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    CFuzzInput input(theData, theSize);
    const uint8_t options = input.Byte();
    static const std::string key = KeyText();
    const std::string password = options & 1 ? "" : options & 2 ? "not the key" : key;
    const std::filesystem::path archive = FuzzScratch() / "archive.zip";
    WriteFuzzFile(archive, input.Rest());
    const std::string difference = CompareReaders(archive.string(), password);
    PW_FUZZ_CHECK(difference.empty(), "the readers differ:\n%s", difference.c_str());
    return 0;
}
