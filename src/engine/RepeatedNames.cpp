#include "engine/RepeatedNames.h"

#include <algorithm>
#include <string_view>

namespace {

// The item a name stands for: the name without a folder's trailing "/".
std::string_view ItemOf(const char* theName, bool& bFolder)
{
    std::string_view name(theName);
    // The empty name is the destination folder itself.
    bFolder = name.empty() || name.back() == '/';
    return bFolder ? name.substr(0, name.size() - 1) : name;
}

} // namespace

void CRepeatedNames::Add(uint32_t theIndex, const char* theName)
{
    bool bFolder = false;
    const std::string_view item = ItemOf(theName, bFolder);
    itsKeys.push_back({ std::hash<std::string_view>()(item), theIndex, bFolder });
}

int64_t CRepeatedNames::FindRepeat(const std::function<Cstring(uint32_t theIndex)>& theNameOf)
{
    std::sort(itsKeys.begin(), itsKeys.end(), [](const Key& a, const Key& b) {
        return a.itsHash != b.itsHash ? a.itsHash < b.itsHash : a.itsIndex < b.itsIndex;
    });
    int64_t repeat = -1;
    for (size_t first = 0; first < itsKeys.size();) {
        size_t end = first + 1;
        while (end < itsKeys.size() && itsKeys[end].itsHash == itsKeys[first].itsHash)
            ++end;
        for (size_t later = first + 1; later < end; ++later) {
            const Key& b = itsKeys[later];
            if (repeat != -1 && b.itsIndex >= repeat)
                continue;
            const Cstring laterName = theNameOf(b.itsIndex);
            bool bUnused = false;
            const std::string_view laterItem = ItemOf(laterName.GetText(), bUnused);
            for (size_t earlier = first; earlier < later; ++earlier) {
                const Key& a = itsKeys[earlier];
                if (a.bFolder && b.bFolder)
                    continue;
                const Cstring earlierName = theNameOf(a.itsIndex);
                if (ItemOf(earlierName.GetText(), bUnused) == laterItem) {
                    repeat = b.itsIndex;
                    break;
                }
            }
        }
        first = end;
    }
    itsKeys.clear();
    itsKeys.shrink_to_fit();
    return repeat;
}
