// Kit archives as they may come: whatever the bytes, the unpacker writes only
// files and folders beneath its own temporary folder, within its limits, and
// nothing is left once its owner goes.

#include "FuzzSupport.h"
#include "engine/UnpackedKit.h"
#include "support/TarRecipe.h"

#include <cstdlib>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const KitArchiveLimits kLimits { 64, 1 << 20 };

FuzzSeeds Seeds()
{
    const std::vector<TarMember> kit = { { "kit/", '5' }, { "kit/data.txt", '0', "records" },
        { "kit/Spring.zip", '0', "PK\x05\x06" + std::string(18, '\0') }, { "kit/Help/", '5' },
        { "kit/Help/astart.htm", '0', "<html></html>" } };
    const fs::path gzipped = FuzzScratch() / "seed.pwkit";
    WriteTarGz(gzipped.string(), kit);
    return {
        { "kit", TarBytes(kit) },
        { "kit-gzip", ReadWholeFile(gzipped) },
        { "loose-files", TarBytes({ { "./data.txt", '0', "x" }, { "readme.txt", '0', "" } }) },
        { "symlink", TarBytes({ { "kit/link", '2', "", "/etc" } }) },
        { "hardlink", TarBytes({ { "kit/a", '0', "a" }, { "kit/b", '1', "", "kit/a" } }) },
        { "outside", TarBytes({ { "kit/../../x", '0', "x" } }) },
        { "twice", TarBytes({ { "kit/a", '0', "1" }, { "kit/a/b", '0', "2" } }) },
        { "huge", TarBytes({ { "kit/big", '0', "", "", int64_t(6) << 30 } }) },
    };
}

fs::path TemporaryRoot()
{
    static const fs::path root = FuzzScratch() / "tmp";
    return root;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    const int result = FuzzInitialize(pArgc, pArgv, Seeds);
    fs::create_directories(TemporaryRoot());
    setenv("TMPDIR", TemporaryRoot().c_str(), 1);
    return result;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    const fs::path input = FuzzScratch() / "input.pwkit";
    WriteFuzzFile(input, std::string(reinterpret_cast<const char*>(theData), theSize));
    std::string temporary;
    {
        CUnpackedKit kit;
        std::string problem;
        const bool bUnpacked = kit.Unpack(input.c_str(), problem, kLimits);
        PW_FUZZ_CHECK(bUnpacked || !problem.empty(), "a refusal without a reason");
        PW_FUZZ_CHECK(
            bUnpacked || fs::is_empty(TemporaryRoot()), "a refused archive left %s", problem.c_str());
        if (bUnpacked) {
            temporary = kit.TemporaryFolder().GetText();
            uint64_t bytes = 0;
            for (const auto& item : fs::recursive_directory_iterator(temporary)) {
                struct stat info { };
                PW_FUZZ_CHECK(lstat(item.path().c_str(), &info) == 0, "%s vanished", item.path().c_str());
                PW_FUZZ_CHECK((S_ISREG(info.st_mode) && (info.st_mode & 07777) == 0600)
                        || (S_ISDIR(info.st_mode) && (info.st_mode & 07777) == 0700),
                    "%s is of mode %o", item.path().c_str(), unsigned(info.st_mode));
                bytes += S_ISREG(info.st_mode) ? uint64_t(info.st_size) : 0;
            }
            PW_FUZZ_CHECK(bytes <= kLimits.itsBytes, "%llu bytes unpacked", (unsigned long long)bytes);
        }
    }
    PW_FUZZ_CHECK(fs::is_empty(TemporaryRoot()), "the unpacked kit %s outlived its owner", temporary.c_str());
    for (const auto& item : fs::directory_iterator(FuzzScratch()))
        PW_FUZZ_CHECK(item.path() == input || item.path() == TemporaryRoot(), "%s appeared beside the kit",
            item.path().c_str());
    return 0;
}
