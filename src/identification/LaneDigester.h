#pragma once

#include "foundation/Arrays.h"
#include "identification/DigestCache.h"
#include "identification/Md5Lanes.h"
#include "identification/PartDigests.h"

#include <atomic>
#include <memory>
#include <stop_token>
#include <vector>

// The files that digesters on several threads share out, and where each
// result goes: theDigests[i] is written only by the digester that took file i.
struct DigestWork {
    // With pCache, a file the cache knows under its present key is given its
    // remembered digest and not read.
    DigestWork(
        const CStringArray& theFiles, std::vector<PartDigest>& theDigests, CDigestCache* pCache = nullptr);

    const CStringArray& itsFiles;
    std::vector<PartDigest>& itsDigests;
    // The indices of the files, largest first: a lane digests one file at
    // the speed of one core at best, so a large file taken late would finish
    // alone long after the others.
    std::vector<int> itsOrder;
    // The place in itsOrder of the next file to take.
    std::atomic<size_t> itsNext { 0 };
    // Once asked for, no further file is taken.
    std::stop_token itsStop;

    // With a cache: before any file was opened, and for each file read whole
    // under one key, that key (written as theDigests are).
    CDigestCache* pItsCache;
    int64_t itsReadStart = 0;
    std::vector<DigestKey> itsKeys;
    std::vector<char> itsKeyHeld;
};

// Digests files kMd5Lanes at a time on the calling thread: every lane reads
// a file of its own, the lanes advance block by block together, and a lane
// whose file has ended takes the next one. Each result is what DigestFile
// gives for its path.
class CLaneDigester {
public:
    CLaneDigester();
    ~CLaneDigester();
    CLaneDigester(const CLaneDigester&) = delete;
    CLaneDigester& operator=(const CLaneDigester&) = delete;

    // Takes files from theWork and digests them until none is left.
    void Run(DigestWork& theWork);

private:
    struct Lane;

    // Gives lane theIndex the next file that opens; false when none is left.
    bool Start(Lane& theLane, int theIndex, DigestWork& theWork);
    // The lane's next block to digest: of the file, then its final blocks.
    const uint8_t* NextBlock(Lane& theLane);
    // Reads until a whole block is there or the file has ended.
    void Refill(Lane& theLane);

    Md5Lanes itsState {};
    std::unique_ptr<Lane[]> itsLanes;
    bool bNoneLeft = false;
};
