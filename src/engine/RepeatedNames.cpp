#include "engine/RepeatedNames.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <strings.h>

namespace {

uint64_t HashOf(std::string_view theItem, CRepeatedNames::CaseRule theRule)
{
    if (theRule == CRepeatedNames::kCaseCounts)
        return std::hash<std::string_view>()(theItem);
    std::string lower(theItem);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return std::hash<std::string>()(lower);
}

bool SameItem(std::string_view a, std::string_view b, CRepeatedNames::CaseRule theRule)
{
    if (a.size() != b.size())
        return false;
    return theRule == CRepeatedNames::kCaseCounts ? a == b : strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

void CRepeatedNames::AddItem(uint32_t theIndex, const char* theName, size_t theLength, bool bFolder)
{
    const std::string_view item(theName, theLength);
    if (bFolder && !itsFolders.insert(std::hash<std::string_view>()(item)).second)
        return;
    itsKeys.push_back({ HashOf(item, itsRule), theIndex, static_cast<uint32_t>(theLength), bFolder });
}

void CRepeatedNames::Add(uint32_t theIndex, const char* theName)
{
    const std::string_view name(theName);
    // The empty name is the destination folder itself.
    const bool bFolder = name.empty() || name.back() == '/';
    const size_t length = bFolder && !name.empty() ? name.size() - 1 : name.size();
    for (size_t slash = name.find('/'); slash < length; slash = name.find('/', slash + 1))
        AddItem(theIndex, theName, slash, true);
    AddItem(theIndex, theName, length, bFolder);
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
            const std::string_view laterItem(laterName.GetText(), b.itsLength);
            for (size_t earlier = first; earlier < later; ++earlier) {
                const Key& a = itsKeys[earlier];
                if (a.itsIndex == b.itsIndex)
                    continue;
                const Cstring earlierName = theNameOf(a.itsIndex);
                const std::string_view earlierItem(earlierName.GetText(), a.itsLength);
                if (!SameItem(earlierItem, laterItem, itsRule))
                    continue;
                // One folder named twice is harmless; two spellings of it are not.
                if (a.bFolder && b.bFolder && earlierItem == laterItem)
                    continue;
                repeat = b.itsIndex;
                break;
            }
        }
        first = end;
    }
    itsKeys.clear();
    itsKeys.shrink_to_fit();
    itsFolders.clear();
    return repeat;
}
