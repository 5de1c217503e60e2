#include "identification/Md5Lanes.h"

#include <cstring>

namespace {

// The compiler maps this onto the widest vector registers the target has
// (two halves where it has only 128-bit ones).
typedef uint32_t Words __attribute__((vector_size(4 * kMd5Lanes)));

const uint32_t kStart[4] = { 0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476 };

// The sines of RFC 1321, one per step.
const uint32_t kSines[64] = {
    0xd76aa478,
    0xe8c7b756,
    0x242070db,
    0xc1bdceee,
    0xf57c0faf,
    0x4787c62a,
    0xa8304613,
    0xfd469501,
    0x698098d8,
    0x8b44f7af,
    0xffff5bb1,
    0x895cd7be,
    0x6b901122,
    0xfd987193,
    0xa679438e,
    0x49b40821,
    0xf61e2562,
    0xc040b340,
    0x265e5a51,
    0xe9b6c7aa,
    0xd62f105d,
    0x02441453,
    0xd8a1e681,
    0xe7d3fbc8,
    0x21e1cde6,
    0xc33707d6,
    0xf4d50d87,
    0x455a14ed,
    0xa9e3e905,
    0xfcefa3f8,
    0x676f02d9,
    0x8d2a4c8a,
    0xfffa3942,
    0x8771f681,
    0x6d9d6122,
    0xfde5380c,
    0xa4beea44,
    0x4bdecfa9,
    0xf6bb4b60,
    0xbebfbc70,
    0x289b7ec6,
    0xeaa127fa,
    0xd4ef3085,
    0x04881d05,
    0xd9d4d039,
    0xe6db99e5,
    0x1fa27cf8,
    0xc4ac5665,
    0xf4292244,
    0x432aff97,
    0xab9423a7,
    0xfc93a039,
    0x655b59c3,
    0x8f0ccc92,
    0xffeff47d,
    0x85845dd1,
    0x6fa87e4f,
    0xfe2ce6e0,
    0xa3014314,
    0x4e0811a1,
    0xf7537e82,
    0xbd3af235,
    0x2ad7d2bb,
    0xeb86d391,
};

uint32_t LittleEndian(const uint8_t* theBytes)
{
    return static_cast<uint32_t>(theBytes[0]) | static_cast<uint32_t>(theBytes[1]) << 8
        | static_cast<uint32_t>(theBytes[2]) << 16 | static_cast<uint32_t>(theBytes[3]) << 24;
}

} // namespace

void Md5StartLane(Md5Lanes& theLanes, int theLane)
{
    for (int word = 0; word < 4; ++word)
        theLanes.itsWords[word][theLane] = kStart[word];
}

// One step: a becomes b + ((a + mix + sine + word) rotated left by s). A macro
// rather than a function, so that no vector crosses a call of a function
// that could be built for another processor.
#define MD5_STEP(mix, a, b, c, d, word, step, s)                                                             \
    do {                                                                                                     \
        a += (mix) + kSines[step] + message[word];                                                           \
        a = (a << (s)) | (a >> (32 - (s)));                                                                  \
        a += b;                                                                                              \
    } while (0)
// Sixteen steps from step first, the mix of the round, each taking word
// (stride * step + offset) % 16 of the message and rotating by s1 to s4 in turn.
#define MD5_ROUND(mix, first, stride, offset, s1, s2, s3, s4)                                                \
    _Pragma("GCC unroll 4") for (int i = (first); i < (first) + 16; i += 4)                                  \
    {                                                                                                        \
        MD5_STEP(mix(b, c, d), a, b, c, d, ((stride)*i + (offset)) % 16, i, s1);                             \
        MD5_STEP(mix(a, b, c), d, a, b, c, ((stride) * (i + 1) + (offset)) % 16, i + 1, s2);                 \
        MD5_STEP(mix(d, a, b), c, d, a, b, ((stride) * (i + 2) + (offset)) % 16, i + 2, s3);                 \
        MD5_STEP(mix(c, d, a), b, c, d, a, ((stride) * (i + 3) + (offset)) % 16, i + 3, s4);                 \
    }
#define MD5_F(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define MD5_G(b, c, d) ((c) ^ ((d) & ((b) ^ (c))))
#define MD5_H(b, c, d) ((b) ^ (c) ^ (d))
#define MD5_I(b, c, d) ((c) ^ ((b) | ~(d)))

namespace {

// The steps, built into each function below for the processor it is meant for.
__attribute__((always_inline)) inline void Compress(
    Md5Lanes& theLanes, const uint8_t* const theBlocks[kMd5Lanes])
{
    // Word w of every lane's block side by side in message[w].
    uint32_t columns[16][kMd5Lanes];
    for (int lane = 0; lane < kMd5Lanes; ++lane)
        for (int word = 0; word < 16; ++word)
            columns[word][lane] = LittleEndian(theBlocks[lane] + 4 * word);
    Words message[16];
    std::memcpy(message, columns, sizeof message);

    Words state[4];
    std::memcpy(state, theLanes.itsWords, sizeof state);
    Words a = state[0];
    Words b = state[1];
    Words c = state[2];
    Words d = state[3];

    MD5_ROUND(MD5_F, 0, 1, 0, 7, 12, 17, 22);
    MD5_ROUND(MD5_G, 16, 5, 1, 5, 9, 14, 20);
    MD5_ROUND(MD5_H, 32, 3, 5, 4, 11, 16, 23);
    MD5_ROUND(MD5_I, 48, 7, 0, 6, 10, 15, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    std::memcpy(theLanes.itsWords, state, sizeof state);
}

void CompressPlain(Md5Lanes& theLanes, const uint8_t* const theBlocks[kMd5Lanes])
{
    Compress(theLanes, theBlocks);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void CompressWide(
    Md5Lanes& theLanes, const uint8_t* const theBlocks[kMd5Lanes])
{
    Compress(theLanes, theBlocks);
}
#endif

} // namespace

void Md5CompressLanes(Md5Lanes& theLanes, const uint8_t* const theBlocks[kMd5Lanes])
{
    // Chosen on first use rather than while the program is loaded, when
    // tools that watch its memory accesses are not yet ready.
#if defined(__x86_64__) || defined(__i386__)
    static void (*const compress)(Md5Lanes&, const uint8_t* const*)
        = __builtin_cpu_supports("avx2") ? CompressWide : CompressPlain;
    compress(theLanes, theBlocks);
#else
    CompressPlain(theLanes, theBlocks);
#endif
}

#undef MD5_STEP
#undef MD5_ROUND
#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I

void Md5LaneDigest(const Md5Lanes& theLanes, int theLane, uint8_t pDigest[kMd5DigestSize])
{
    for (int word = 0; word < 4; ++word)
        for (int byte = 0; byte < 4; ++byte)
            pDigest[4 * word + byte] = static_cast<uint8_t>(theLanes.itsWords[word][theLane] >> (8 * byte));
}

int Md5FinalBlocks(const uint8_t* theRest, uint64_t theLength, uint8_t theOut[2 * kMd5Block])
{
    const size_t rest = static_cast<size_t>(theLength % kMd5Block);
    // The bit count needs 8 bytes after the 0x80 that ends the message.
    const int blocks = rest + 1 + 8 > kMd5Block ? 2 : 1;
    std::memset(theOut, 0, static_cast<size_t>(blocks) * kMd5Block);
    if (rest > 0)
        std::memcpy(theOut, theRest, rest);
    theOut[rest] = 0x80;
    const uint64_t bits = theLength * 8;
    for (int byte = 0; byte < 8; ++byte)
        theOut[blocks * kMd5Block - 8 + byte] = static_cast<uint8_t>(bits >> (8 * byte));
    return blocks;
}
