#include "identification/DataCipher.h"

#include "identification/DataKey.h"

#include <algorithm>
#include <cstring>

CDataCipher::CDataCipher()
    : itsSchedule()
    , itsMode(Mode::kElectronicCodebook)
    , itsKeyBits(256)
{
}

bool CDataCipher::Encrypt(const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput)
{
    return Run(Direction::kEncrypt, theInput, theKey, theOutput);
}

bool CDataCipher::Decrypt(const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput)
{
    return Run(Direction::kDecrypt, theInput, theKey, theOutput);
}

void CDataCipher::SetKey(const Cstring& theKey)
{
    uint8_t key[kDataKeyLength] = {};
    std::memcpy(key, theKey.GetText(), static_cast<size_t>(std::min(kDataKeyLength, theKey.Length())));
    if (bKeyed && std::memcmp(key, itsKey, sizeof key) == 0)
        return;
    twofish_set_key(&itsSchedule, static_cast<size_t>(itsKeyBits / 8), key);
    std::memcpy(itsKey, key, sizeof key);
    bKeyed = true;
}

bool CDataCipher::Run(
    Direction theDirection, const CBuffer& theInput, const Cstring& theKey, CBuffer& theOutput)
{
    SetKey(theKey);

    const int length = std::max(0, theInput.itsDataLength);
    theOutput.Reserve(length);
    uint8_t* out = reinterpret_cast<uint8_t*>(theOutput.GetBuffer());
    const uint8_t* in = reinterpret_cast<const uint8_t*>(theInput.GetText());
    const int whole = length - length % TWOFISH_BLOCK_SIZE;
    if (itsMode == Mode::kElectronicCodebook && whole > 0) {
        // Each block by itself: nettle's block functions over the whole run are ECB.
        if (theDirection == Direction::kEncrypt)
            twofish_encrypt(&itsSchedule, static_cast<size_t>(whole), out, in);
        else
            twofish_decrypt(&itsSchedule, static_cast<size_t>(whole), out, in);
    }
    std::memset(out + whole, 0, static_cast<size_t>(length - whole) + 1);
    theOutput.itsDataLength = length;
    return whole == length;
}

Cstring MakeDataKey(const Cstring& theKeyText)
{
    Cstring key;
    key.Reserve(kDataKeyLength);
    std::memset(key.GetBuffer(), ' ', kDataKeyLength);
    key.GetBuffer()[kDataKeyLength] = 0;
    std::memcpy(key.GetBuffer(), theKeyText.GetText(),
        static_cast<size_t>(std::min(kDataKeyLength, theKeyText.Length())));
    return key;
}

Cstring MakeDataKey()
{
    Cstring text;
    BuildDataKeyText(text);
    return MakeDataKey(text);
}

void PadPlaintext(const char* theText, CBuffer& theOut)
{
    const int length = theText ? static_cast<int>(std::strlen(theText)) : 0;
    const int padded = length - length % 32 + 32;
    theOut.Reserve(padded);
    std::memset(theOut.GetBuffer(), 0, static_cast<size_t>(padded) + 1);
    if (length > 0)
        std::memcpy(theOut.GetBuffer(), theText, static_cast<size_t>(length));
    theOut.itsDataLength = padded;
}
