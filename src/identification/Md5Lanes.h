#pragma once

#include <cstdint>

// MD5 of several messages at once: each step of the algorithm is applied to
// one word of every message together, so that the processor's vector unit
// carries the messages side by side. One message alone is a chain of
// dependent steps that leaves most of the processor idle; eight at once
// cost little more than one. Each lane's digest is the MD5 of its message.

const int kMd5Lanes = 8;
const int kMd5Block = 64;
const int kMd5DigestSize = 16;

// The chaining values of kMd5Lanes messages, word by word.
struct Md5Lanes {
    uint32_t itsWords[4][kMd5Lanes];
};

// Sets lane theLane to the values a message starts from.
void Md5StartLane(Md5Lanes& theLanes, int theLane);
// Advances every lane by one block: lane i by the kMd5Block bytes at theBlocks[i].
void Md5CompressLanes(Md5Lanes& theLanes, const uint8_t* const theBlocks[kMd5Lanes]);
// The digest of lane theLane, once its last block has been compressed.
void Md5LaneDigest(const Md5Lanes& theLanes, int theLane, uint8_t pDigest[kMd5DigestSize]);

// The last blocks of a message of theLength bytes, whose final
// theLength % kMd5Block bytes are at theRest: those bytes, the padding and
// the length, into theOut (two blocks of room). Returns 1 or 2, the blocks made.
int Md5FinalBlocks(const uint8_t* theRest, uint64_t theLength, uint8_t theOut[2 * kMd5Block]);
