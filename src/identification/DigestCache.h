#pragma once

#include "identification/PartDigests.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

// What a file's digest is remembered by: where it lives and its size and two
// times. The change time moves whenever the file's bytes or its times are
// set, and no user can set it back, so a file rewritten under its old
// modification time still gets a new key.
struct DigestKey {
    uint64_t itsDevice = 0;
    uint64_t itsInode = 0;
    int64_t itsSize = 0;
    int64_t itsModified = 0; // nanoseconds since the epoch
    int64_t itsChanged = 0; // nanoseconds since the epoch

    static DigestKey Of(const struct stat& theInfo);
    bool operator==(const DigestKey&) const = default;
};

// The digests of files read at earlier starts, so that copies that did not
// change are not read again. A digest is given back only for a file whose
// key is the one it was computed under, and only when the file had not been
// changed for a while before it was read: a file changed just before, within
// the granularity of its times, could be changed again without its key
// moving. A cache file that does not read back whole and consistent is
// ignored as a whole. The calls may come from several threads.
class CDigestCache {
public:
    // A file changed less than this before it was read is not remembered:
    // more than the coarsest time stamps of the file systems a copy lies on.
    static constexpr int64_t kSettleNanoseconds = 2'000'000'000;
    // The most files remembered; the cache file stays below a few megabytes.
    static constexpr size_t kMostEntries = 50'000;

    // The digest remembered for theKey; false when there is none to trust.
    bool Lookup(const DigestKey& theKey, PartDigest& theDigest) const;
    // Remembers theDigest of a file that had theKey from before theReadStart
    // (nanoseconds since the epoch, taken before the file was opened) until
    // its last byte was read. Not remembered when it changed too recently.
    void Store(const DigestKey& theKey, const PartDigest& theDigest, int64_t theReadStart);
    size_t Count() const;

    // Replaces what is remembered by the content of thePath; false, and
    // nothing remembered, when the file is missing, too large or not one this
    // class wrote whole.
    bool Load(const char* thePath);
    // Writes what is remembered to thePath through a file beside it that is
    // then renamed over it, so a reader sees the old or the new one whole.
    // Makes the folder when needed; false when it cannot be written.
    bool Save(const char* thePath);
    // Whether something was stored since the last Load or Save.
    bool IsChanged() const;
    // Save to the file last loaded when something was stored since.
    void SaveIfChanged();

    // The cache file of this user: "digests" in the XDG cache folder's
    // "Patchwell"; empty when there is no home.
    static std::string UserCachePath();
    // Nanoseconds since the epoch, as a file's times count them.
    static int64_t Now();

private:
    struct Entry {
        DigestKey itsKey;
        int64_t itsReadStart;
        PartDigest itsDigest;
    };
    struct KeyHash {
        size_t operator()(const std::pair<uint64_t, uint64_t>& theId) const;
    };
    static bool Settled(const DigestKey& theKey, int64_t theReadStart);

    mutable std::mutex itsLock;
    // By device and inode: a file has one digest at a time.
    std::unordered_map<std::pair<uint64_t, uint64_t>, Entry, KeyHash> itsEntries;
    bool bChanged = false;
    std::string itsPath;
};

// The cache the program scanner reads copies through; null (the default)
// reads every file. The updater sets it for its scans of installed copies.
CDigestCache* ScanDigestCache();
void SetScanDigestCache(CDigestCache* pCache);
