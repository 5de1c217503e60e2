#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

// Finds an archive entry that names the same item as an earlier entry: the
// same file twice, or one name as a file and as a folder, whether the folder
// is an entry "a/" or only implied by a file "a/b". Two folder entries for
// one folder are harmless. Only hashes are kept, so an archive of many small
// files costs a few bytes an entry; names are compared whole only when
// their hashes meet.
class CRepeatedNames {
public:
    enum CaseRule {
        kCaseCounts,
        // Names equal but for the case of ASCII letters are one item, as on
        // a file system that ignores case; so are such folders.
        kCaseIgnored,
    };

    explicit CRepeatedNames(CaseRule theRule = kCaseCounts)
        : itsRule(theRule)
    {
    }
    void Reserve(size_t theCount) { itsKeys.reserve(theCount); }
    // theName is the entry's name as it will be extracted.
    void Add(uint32_t theIndex, const char* theName);
    // The lowest index that repeats an earlier entry, or -1. theNameOf gives
    // an entry's name again, as it was given to Add.
    int64_t FindRepeat(const std::function<Cstring(uint32_t theIndex)>& theNameOf);

private:
    struct Key {
        uint64_t itsHash;
        uint32_t itsIndex;
        uint32_t itsLength; // the item is the first itsLength bytes of the name
        bool bFolder;
    };
    void AddItem(uint32_t theIndex, const char* theName, size_t theLength, bool bFolder);

    CaseRule itsRule;
    std::vector<Key> itsKeys;
    // Folders already keyed, by the hash of their exact name: a folder that
    // holds thousands of files is keyed once.
    std::unordered_set<uint64_t> itsFolders;
};
