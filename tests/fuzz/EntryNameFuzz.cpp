// The entry-name check: a name it accepts, as the update run maps it and
// joins it to the destination, never resolves outside the destination.

#include "FuzzSupport.h"
#include "engine/SafeEntryName.h"
#include "engine/ZipExtractor.h"
#include "foundation/Cstring.h"

#include <filesystem>

namespace {

const char kDestination[] = "/srv/target";

// True when thePath, resolved as the file system would with no links in the
// way, is the destination or lies beneath it.
bool StaysInside(const std::string& thePath)
{
    const std::filesystem::path resolved = std::filesystem::path(thePath).lexically_normal();
    const std::filesystem::path relative = resolved.lexically_relative(kDestination);
    return !relative.empty() && *relative.begin() != "..";
}

void CheckName(const char* theName)
{
    if (!IsSafeEntryName(theName))
        return;
    const Cstring path = Cstring::Path(kDestination, theName);
    PW_FUZZ_CHECK(
        StaysInside(path.GetText()), "accepted \"%s\", which resolves to %s", theName, path.GetText());
}

FuzzSeeds Seeds()
{
    return {
        { "plain", "NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5" },
        { "folder", "NewFiles/Help/" },
        { "top", "NewFiles/" },
        { "parent", "NewFiles/../../etc/passwd" },
        { "absolute", "/etc/passwd" },
        { "dot", "a/./b" },
        { "drive", "C:x" },
        { "backslash", "a\\..\\b" },
        { "double", "a//b" },
    };
}

} // namespace

PW_FUZZ_SEEDS(Seeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    static CZipExtractor* const extractor = [] {
        auto* made = new CZipExtractor();
        made->AddNameMapping("NewFiles/", "", "");
        return made;
    }();
    const std::string name(reinterpret_cast<const char*>(theData), theSize);
    CheckName(name.c_str());
    CheckName(extractor->MapEntryName(name.c_str()).GetText());
    return 0;
}
