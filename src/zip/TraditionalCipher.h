#pragma once

#include <cstddef>
#include <cstdint>

// The traditional PKWARE zip encryption, decrypting side: three keys that
// each byte of the password and then of the plain data is mixed into. The
// keys are updated through a CRC table, a few operations a byte.
class CTraditionalCipher {
public:
    static constexpr size_t kHeaderSize = 12;

    void Start(const char* pPassword, size_t theLength);
    // Decrypts theLength bytes in place.
    void Decrypt(unsigned char* pData, size_t theLength);
    // Decrypts the encryption header that leads an entry's data and returns
    // its last byte, the one the password is checked by.
    unsigned char DecryptHeader(unsigned char (&theHeader)[kHeaderSize]);

private:
    uint32_t itsKeys[3] = {};
};
