#include "identification/Md5Lanes.h"
#include "identification/ByteText.h"

#include <gtest/gtest.h>
#include <nettle/md5.h>
#include <string>
#include <vector>

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

// Digests up to kMd5Lanes messages side by side, each lane fed its own
// blocks and then its final ones; a lane that has ended is fed a block of
// another lane, whose result must not leak into it.
std::vector<std::string> LaneDigests(const std::vector<std::string>& theMessages)
{
    Md5Lanes lanes {};
    std::vector<std::vector<uint8_t>> blocks(theMessages.size());
    for (size_t lane = 0; lane < theMessages.size(); ++lane) {
        Md5StartLane(lanes, static_cast<int>(lane));
        const std::string& message = theMessages[lane];
        const size_t whole = message.size() - message.size() % kMd5Block;
        blocks[lane].assign(message.begin(), message.begin() + static_cast<long>(whole));
        uint8_t tail[2 * kMd5Block];
        const int count
            = Md5FinalBlocks(reinterpret_cast<const uint8_t*>(message.data()) + whole, message.size(), tail);
        blocks[lane].insert(blocks[lane].end(), tail, tail + count * kMd5Block);
    }
    std::vector<std::string> digests(theMessages.size());
    const uint8_t idle[kMd5Block] = { 0xAA };
    for (size_t step = 0;; ++step) {
        const uint8_t* at[kMd5Lanes];
        bool bBusy = false;
        for (size_t lane = 0; lane < kMd5Lanes; ++lane) {
            const bool bFed = lane < blocks.size() && (step + 1) * kMd5Block <= blocks[lane].size();
            at[lane] = bFed ? blocks[lane].data() + step * kMd5Block : idle;
            bBusy = bBusy || bFed;
        }
        if (!bBusy)
            break;
        Md5CompressLanes(lanes, at);
        for (size_t lane = 0; lane < blocks.size(); ++lane) {
            if ((step + 1) * kMd5Block == blocks[lane].size()) {
                uint8_t digest[kMd5DigestSize];
                Md5LaneDigest(lanes, static_cast<int>(lane), digest);
                digests[lane] = Hex(digest, kMd5DigestSize);
            }
        }
    }
    return digests;
}

} // namespace

TEST(Md5Lanes, EveryLengthAroundTheBlockAndPaddingBoundaries)
{
    // Lengths 0 to 200 cover a rest of 55 bytes (the last that pads in one
    // block), 56 (the first that needs two) and whole blocks; eight lanes of
    // different lengths at a time also run side by side with lanes that ended.
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 131 + i / 7) & 0xFF);
    for (size_t first = 0; first <= 200; first += kMd5Lanes) {
        std::vector<std::string> messages;
        for (size_t length = first; length < first + kMd5Lanes; ++length)
            messages.push_back(bytes.substr(length % 13, length));
        const std::vector<std::string> digests = LaneDigests(messages);
        for (size_t i = 0; i < messages.size(); ++i)
            EXPECT_EQ(digests[i], NettleDigest(messages[i])) << messages[i].size();
    }
    const std::vector<std::string> uneven = { bytes, "", bytes.substr(0, 1000), bytes.substr(1, 64) };
    const std::vector<std::string> digests = LaneDigests(uneven);
    for (size_t i = 0; i < uneven.size(); ++i)
        EXPECT_EQ(digests[i], NettleDigest(uneven[i])) << uneven[i].size();
}
