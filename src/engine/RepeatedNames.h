#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <functional>
#include <vector>

// Finds an archive entry that names the same item as an earlier entry (a
// folder entry "a/" and a file "a" name the same item; two folder entries for
// one folder are harmless). Only a hash is kept per entry, so an archive of
// many small files costs 16 bytes an entry; names are compared whole only
// when their hashes meet.
class CRepeatedNames {
public:
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
        bool bFolder;
    };
    std::vector<Key> itsKeys;
};
