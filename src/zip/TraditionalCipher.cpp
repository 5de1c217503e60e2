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

inline uint32_t CrcByte(uint32_t theCrc, unsigned char theByte)
{
    return kCrcTable[(theCrc ^ theByte) & 0xFF] ^ (theCrc >> 8);
}

inline void MixKeys(uint32_t& theKey0, uint32_t& theKey1, uint32_t& theKey2, unsigned char thePlain)
{
    theKey0 = CrcByte(theKey0, thePlain);
    theKey1 = (theKey1 + (theKey0 & 0xFF)) * 134775813u + 1;
    theKey2 = CrcByte(theKey2, static_cast<unsigned char>(theKey1 >> 24));
}

inline unsigned char StreamByte(uint32_t theKey2)
{
    const uint32_t temp = (theKey2 & 0xFFFF) | 2;
    return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
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
    // The keys live in registers for the whole block; each byte depends on
    // the one before, so this loop is as fast as its dependency chain.
    uint32_t key0 = itsKeys[0];
    uint32_t key1 = itsKeys[1];
    uint32_t key2 = itsKeys[2];
    for (size_t i = 0; i < theLength; ++i) {
        const unsigned char plain = pData[i] ^ StreamByte(key2);
        pData[i] = plain;
        MixKeys(key0, key1, key2, plain);
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
