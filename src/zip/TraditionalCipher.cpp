#include "zip/TraditionalCipher.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value >> 1) ^ (0xEDB88320u & (0u - (value & 1u)));
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// The same table with the low two bits of each value set to 11 and to 10:
// from them the two factors of the next stream byte come out of the same
// look-up that gives key 2, without an operation after it.
constexpr std::array<uint32_t, 256> MakeFactorTable(uint32_t theLowBits)
{
    std::array<uint32_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i)
        table[i] = (kCrcTable[i] & ~3u) | theLowBits;
    return table;
}
constexpr std::array<uint32_t, 256> kOddFactors = MakeFactorTable(3);
constexpr std::array<uint32_t, 256> kEvenFactors = MakeFactorTable(2);

// The low byte of each value, for the part of key 0 that key 1 takes in.
constexpr std::array<uint8_t, 256> MakeLowBytes()
{
    std::array<uint8_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(kCrcTable[i]);
    return table;
}
constexpr std::array<uint8_t, 256> kCrcLowBytes = MakeLowBytes();

const uint32_t kKey1Factor = 134775813u;

// Keeps a value in a register as it stands: the compiler would otherwise fold
// an operation that can be done early back into the chain from one byte to
// the next, which sets the speed.
template <typename T> inline void ComputeEarly(T& theValue)
{
    asm("" : "+r"(theValue));
}

inline uint32_t CrcByte(uint32_t theCrc, unsigned char theByte)
{
    return kCrcTable[(theCrc ^ theByte) & 0xFF] ^ (theCrc >> 8);
}

inline void MixKeys(uint32_t& theKey0, uint32_t& theKey1, uint32_t& theKey2, unsigned char thePlain)
{
    theKey0 = CrcByte(theKey0, thePlain);
    theKey1 = (theKey1 + (theKey0 & 0xFF)) * kKey1Factor + 1;
    theKey2 = CrcByte(theKey2, static_cast<unsigned char>(theKey1 >> 24));
}

} // namespace

void CTraditionalCipher::Start(const char* pPassword, size_t theLength)
{
    itsKeys[0] = 0x12345678u;
    itsKeys[1] = 0x23456789u;
    itsKeys[2] = 0x34567890u;
    for (size_t i = 0; i < theLength; ++i)
        MixKeys(itsKeys[0], itsKeys[1], itsKeys[2], static_cast<unsigned char>(pPassword[i]));
}

void CTraditionalCipher::Decrypt(unsigned char* pData, size_t theLength)
{
    // The stream byte XORed out, then MixKeys, rearranged: each byte depends on the one
    // before through two table look-ups and two multiplications, so what
    // can be done beside that chain is, and the chain holds nothing else.
    uint32_t key0 = itsKeys[0];
    uint32_t key1 = itsKeys[1];
    uint32_t key2 = itsKeys[2];
    // The stream byte is bits 8 to 15 of odd * even, the two numbers that
    // key 2's low 16 bits give with their low bits set to 11 and to 10.
    uint32_t odd = key2 | 3;
    uint32_t even = odd ^ 1;
    for (size_t i = 0; i < theLength; ++i) {
        uint32_t mixed = (key0 ^ pData[i]) & 0xFF;
        ComputeEarly(mixed);
        uint32_t key0Byte1 = (key0 >> 8) & 0xFF;
        ComputeEarly(key0Byte1);
        uint32_t key2Low = key2 & 0xFF;
        ComputeEarly(key2Low);
        const uint32_t stream = static_cast<uint8_t>((odd * even) >> 8);
        // The plain byte is the CRC's index with key 0's low byte taken out.
        const uint32_t index0 = mixed ^ stream;
        pData[i] = static_cast<unsigned char>(index0 ^ key0);
        const uint32_t key0Low = kCrcLowBytes[index0] ^ key0Byte1;
        key0 = kCrcTable[index0] ^ (key0 >> 8);
        // (key1 + low) * f + 1 as key1 * f + 1, known early, and low * f.
        uint32_t key1Next = key1 * kKey1Factor + 1;
        ComputeEarly(key1Next);
        key1 = key1Next + key0Low * kKey1Factor;
        const uint32_t index2 = (key1 >> 24) ^ key2Low;
        const uint32_t shifted = key2 >> 8;
        uint32_t shiftedHigh = shifted & ~3u;
        ComputeEarly(shiftedHigh);
        key2 = kCrcTable[index2] ^ shifted;
        odd = kOddFactors[index2] ^ shiftedHigh;
        even = kEvenFactors[index2] ^ shiftedHigh;
    }
    itsKeys[0] = key0;
    itsKeys[1] = key1;
    itsKeys[2] = key2;
}

unsigned char CTraditionalCipher::DecryptHeader(unsigned char (&theHeader)[kHeaderSize])
{
    Decrypt(theHeader, kHeaderSize);
    return theHeader[kHeaderSize - 1];
}
