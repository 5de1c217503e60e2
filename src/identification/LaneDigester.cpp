#include "identification/LaneDigester.h"

#include "identification/ByteText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each lane reads its file in pieces of this size: the lanes of a core
// together stay within its cache.
const size_t kLaneBuffer = 32 * 1024;

// What an idle lane is given to digest; its result is never used.
const uint8_t kIdleBlock[kMd5Block] = {};

} // namespace

DigestWork::DigestWork(
    const CStringArray& theFiles, std::vector<PartDigest>& theDigests, CDigestCache* pCache)
    : itsFiles(theFiles)
    , itsDigests(theDigests)
    , pItsCache(pCache)
{
    const int count = theFiles.GetCount();
    if (pCache) {
        itsReadStart = CDigestCache::Now();
        itsKeys.resize(static_cast<size_t>(count));
        itsKeyHeld.assign(static_cast<size_t>(count), 0);
    }
    std::vector<off_t> sizes(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        struct stat info;
        if (stat(theFiles.At(i).GetText(), &info) == 0) {
            sizes[static_cast<size_t>(i)] = info.st_size;
            if (pCache && S_ISREG(info.st_mode)
                && pCache->Lookup(DigestKey::Of(info), theDigests[static_cast<size_t>(i)]))
                continue;
        }
        itsOrder.push_back(i);
    }
    std::stable_sort(itsOrder.begin(), itsOrder.end(),
        [&sizes](int a, int b) { return sizes[static_cast<size_t>(a)] > sizes[static_cast<size_t>(b)]; });
}

struct CLaneDigester::Lane {
    // The index of the file being digested, or -1 when the lane is idle.
    int itsFile = -1;
    // Open until the file's last byte has been read.
    int itsDescriptor = -1;
    uint64_t itsCount = 0;
    // The bytes read but not yet digested are itsBuffer[itsStart, itsEnd).
    size_t itsStart = 0;
    size_t itsEnd = 0;
    // The final blocks, once the file has ended, and how many of them have
    // been handed out: the file is digested when all have been.
    int itsTailBlocks = 0;
    int itsTailGiven = 0;
    // With a cache: the file's key when it was opened, and whether it still
    // had it when its end was read.
    DigestKey itsKey;
    bool bKeyed = false;
    bool bSteady = false;
    uint8_t itsTail[2 * kMd5Block] = {};
    std::unique_ptr<uint8_t[]> itsBuffer { new uint8_t[kLaneBuffer] };
};

CLaneDigester::CLaneDigester()
    : itsLanes(new Lane[kMd5Lanes])
{
}

CLaneDigester::~CLaneDigester()
{
    for (int i = 0; i < kMd5Lanes; ++i)
        if (itsLanes[i].itsDescriptor >= 0)
            close(itsLanes[i].itsDescriptor);
}

void CLaneDigester::Run(DigestWork& theWork)
{
    const uint8_t* blocks[kMd5Lanes];
    for (;;) {
        bool bBusy = false;
        for (int i = 0; i < kMd5Lanes; ++i) {
            Lane& lane = itsLanes[i];
            if (lane.itsFile < 0 && !Start(lane, i, theWork)) {
                blocks[i] = kIdleBlock;
                continue;
            }
            blocks[i] = NextBlock(lane);
            bBusy = true;
        }
        if (!bBusy)
            return;
        Md5CompressLanes(itsState, blocks);
        for (int i = 0; i < kMd5Lanes; ++i) {
            Lane& lane = itsLanes[i];
            if (lane.itsFile < 0 || lane.itsTailGiven < lane.itsTailBlocks || lane.itsTailBlocks == 0)
                continue;
            uint8_t digest[kMd5DigestSize];
            Md5LaneDigest(itsState, i, digest);
            PartDigest& part = theWork.itsDigests[static_cast<size_t>(lane.itsFile)];
            WriteHex(reinterpret_cast<const char*>(digest), kMd5DigestSize, part.itsText);
            part.itsSize = PartSize(static_cast<int64_t>(lane.itsCount));
            if (lane.bSteady) {
                theWork.itsKeys[static_cast<size_t>(lane.itsFile)] = lane.itsKey;
                theWork.itsKeyHeld[static_cast<size_t>(lane.itsFile)] = 1;
            }
            lane.itsFile = -1;
        }
    }
}

bool CLaneDigester::Start(Lane& theLane, int theIndex, DigestWork& theWork)
{
    while (!bNoneLeft) {
        if (theWork.itsStop.stop_requested()) {
            bNoneLeft = true;
            break;
        }
        const size_t next = theWork.itsNext++;
        if (next >= theWork.itsOrder.size()) {
            // Not asked again: the counter is shared with the other cores.
            bNoneLeft = true;
            break;
        }
        // A part that cannot be opened keeps its empty digest.
        const int file = theWork.itsOrder[next];
        const int descriptor = OpenPart(theWork.itsFiles.At(file).GetText());
        if (descriptor < 0)
            continue;
        theLane.itsFile = file;
        theLane.itsDescriptor = descriptor;
        theLane.itsCount = 0;
        theLane.itsStart = theLane.itsEnd = 0;
        theLane.itsTailBlocks = theLane.itsTailGiven = 0;
        theLane.bSteady = false;
        bool bKeyed = theWork.pItsCache != nullptr;
        if (bKeyed) {
            struct stat info;
            bKeyed = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
            theLane.itsKey = DigestKey::Of(info);
        }
        theLane.bKeyed = bKeyed;
        Md5StartLane(itsState, theIndex);
        return true;
    }
    return false;
}

const uint8_t* CLaneDigester::NextBlock(Lane& theLane)
{
    if (theLane.itsTailBlocks > 0)
        return theLane.itsTail + kMd5Block * theLane.itsTailGiven++;
    if (theLane.itsEnd - theLane.itsStart < kMd5Block && theLane.itsDescriptor >= 0)
        Refill(theLane);
    if (theLane.itsEnd - theLane.itsStart >= kMd5Block) {
        const uint8_t* block = theLane.itsBuffer.get() + theLane.itsStart;
        theLane.itsStart += kMd5Block;
        return block;
    }
    theLane.itsTailBlocks
        = Md5FinalBlocks(theLane.itsBuffer.get() + theLane.itsStart, theLane.itsCount, theLane.itsTail);
    theLane.itsTailGiven = 1;
    return theLane.itsTail;
}

void CLaneDigester::Refill(Lane& theLane)
{
    uint8_t* buffer = theLane.itsBuffer.get();
    const size_t rest = theLane.itsEnd - theLane.itsStart;
    std::memmove(buffer, buffer + theLane.itsStart, rest);
    theLane.itsStart = 0;
    theLane.itsEnd = rest;
    while (theLane.itsEnd < kMd5Block) {
        const ssize_t got
            = read(theLane.itsDescriptor, buffer + theLane.itsEnd, kLaneBuffer - theLane.itsEnd);
        if (got < 0 && errno == EINTR)
            continue;
        // A read error ends the part: the digest covers the bytes read before it.
        if (got <= 0) {
            struct stat info;
            theLane.bSteady = got == 0 && theLane.bKeyed && fstat(theLane.itsDescriptor, &info) == 0
                && DigestKey::Of(info) == theLane.itsKey;
            close(theLane.itsDescriptor);
            theLane.itsDescriptor = -1;
            return;
        }
        theLane.itsEnd += static_cast<size_t>(got);
        theLane.itsCount += static_cast<uint64_t>(got);
    }
}
