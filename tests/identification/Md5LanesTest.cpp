#include "identification/Md5Lanes.h"
#include "identification/ByteText.h"
#include "support/ZipFixtures.h" // RandomBytes

#include <algorithm>
#include <gtest/gtest.h>
#include <nettle/md5.h>
#include <string>

namespace {

std::string Hex(const uint8_t* theBytes, size_t theCount)
{
    Cstring text;
    return HexText(reinterpret_cast<const char*>(theBytes), static_cast<int>(theCount), text);
}

std::string NettleDigest(const std::string& theMessage)
{
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, theMessage.size(), reinterpret_cast<const uint8_t*>(theMessage.data()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&context, MD5_DIGEST_SIZE, digest);
    return Hex(digest, MD5_DIGEST_SIZE);
}

// theMessage in every lane, its last blocks made in room that held other
// bytes, so that the padding must be written whole. Lanes that carry
// different messages are DigestFiles.EachResultIsThatOfDigestFile's.
std::string LaneDigest(const std::string& theMessage)
{
    Md5Lanes lanes {};
    for (int lane = 0; lane < kMd5Lanes; ++lane)
        Md5StartLane(lanes, lane);
    const size_t whole = theMessage.size() - theMessage.size() % kMd5Block;
    uint8_t tail[2 * kMd5Block];
    std::fill(std::begin(tail), std::end(tail), 0xAA);
    const int count = Md5FinalBlocks(
        reinterpret_cast<const uint8_t*>(theMessage.data()) + whole, theMessage.size(), tail);
    const std::string blocks
        = theMessage.substr(0, whole) + std::string(reinterpret_cast<char*>(tail), count * kMd5Block);
    for (size_t at = 0; at < blocks.size(); at += kMd5Block) {
        const uint8_t* block[kMd5Lanes];
        std::fill(std::begin(block), std::end(block), reinterpret_cast<const uint8_t*>(blocks.data()) + at);
        Md5CompressLanes(lanes, block);
    }
    uint8_t digest[kMd5DigestSize];
    Md5LaneDigest(lanes, kMd5Lanes - 1, digest);
    return Hex(digest, kMd5DigestSize);
}

} // namespace

// Lengths 0 to 200 cover a rest of 55 bytes (the last that pads in one block),
// 56 (the first that needs two) and whole blocks.
TEST(Md5Lanes, EveryLengthAroundTheBlockAndPaddingBoundaries)
{
    const std::string bytes = RandomBytes(4096, 5);
    for (size_t length = 0; length <= 200; ++length)
        EXPECT_EQ(
            LaneDigest(bytes.substr(length % 13, length)), NettleDigest(bytes.substr(length % 13, length)))
            << length;
    EXPECT_EQ(LaneDigest(bytes), NettleDigest(bytes));
}
