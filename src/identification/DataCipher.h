#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <nettle/twofish.h>

const int kDataKeyLength = 32;

// The cipher of the data file: Twofish with a 256-bit key in electronic
// codebook mode, every 16-byte block by itself. One object serves a whole
// read or write. Deriving the key schedule costs far more than deciphering a
// record, so it is derived only when the key differs from the last one.
class CDataCipher {
public:
    CDataCipher();

    // theInput's itsDataLength bytes into theOutput, whose itsDataLength
    // becomes the same. Only whole 16-byte blocks can be processed: a ragged
    // tail is left as zero bytes and the call returns false.
    bool Encrypt(const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput);
    bool Decrypt(const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput);

private:
    enum class Direction { kEncrypt, kDecrypt };
    bool Run(Direction theDirection, const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput);

    enum class Mode { kElectronicCodebook };

    void SetKey(const Cstring& theKey);

    twofish_ctx itsSchedule;
    Mode itsMode;
    int itsKeyBits;
    bool bKeyed = false;
    // The key bytes itsSchedule was derived from, once bKeyed.
    uint8_t itsKey[kDataKeyLength] = {};
};

// theKeyText cut or padded with spaces to exactly 32 bytes; the bytes are the
// key as they stand.
Cstring MakeDataKey(const Cstring& theKeyText);
// The same for the built-in key text.
Cstring MakeDataKey();
// theText followed by 1 to 32 zero bytes, up to the next multiple of 32
// beyond its length, into theOut; itsDataLength is the padded length. (An out
// parameter: copying a Cstring keeps only its text, not the bytes after it.)
void PadPlaintext(const char* theText, CBuffer& theOut);
