#include "identification/ByteText.h"

#include <nettle/base64.h>

namespace {

// The value of a base64 character, or -1 outside the alphabet.
int Base64Value(unsigned char theChar)
{
    if (theChar >= 'A' && theChar <= 'Z')
        return theChar - 'A';
    if (theChar >= 'a' && theChar <= 'z')
        return theChar - 'a' + 26;
    if (theChar >= '0' && theChar <= '9')
        return theChar - '0' + 52;
    if (theChar == '+')
        return 62;
    if (theChar == '/')
        return 63;
    return -1;
}

} // namespace

const char* Base64Encode(const char* theBytes, int theCount, Cstring& theOut)
{
    if (theCount < 0)
        theCount = 0;
    const int length = static_cast<int>(BASE64_ENCODE_RAW_LENGTH(static_cast<size_t>(theCount)));
    theOut.Reserve(length);
    char* out = theOut.GetBuffer();
    if (theCount > 0)
        base64_encode_raw(out, static_cast<size_t>(theCount), reinterpret_cast<const uint8_t*>(theBytes));
    out[length] = 0;
    return out;
}

int Base64Decode(CBuffer& theOut, const char* theText, int theLength)
{
    if (!theText || theLength < 0)
        theLength = 0;
    theOut.Reserve(theLength);
    unsigned char* out = reinterpret_cast<unsigned char*>(theOut.GetBuffer());
    const unsigned char* text = reinterpret_cast<const unsigned char*>(theText);
    int at = 0;
    int count = 0;
    while (theLength - at >= 1) {
        int values[4];
        for (int i = 0; i < 4; ++i)
            values[i] = at + i < theLength ? Base64Value(text[at + i]) : -1;
        const unsigned bits = (static_cast<unsigned>(values[0] < 0 ? 0 : values[0]) << 18)
            | (static_cast<unsigned>(values[1] < 0 ? 0 : values[1]) << 12)
            | (static_cast<unsigned>(values[2] < 0 ? 0 : values[2]) << 6)
            | static_cast<unsigned>(values[3] < 0 ? 0 : values[3]);
        out[count++] = static_cast<unsigned char>(bits >> 16);
        if (values[1] < 0 || values[2] < 0)
            break;
        out[count++] = static_cast<unsigned char>(bits >> 8);
        if (values[3] < 0)
            break;
        out[count++] = static_cast<unsigned char>(bits);
        at += 4;
        while (at < theLength && (text[at] == '\r' || text[at] == '\n'))
            ++at;
    }
    out[count] = 0;
    return count;
}

bool IsWellFormedBase64(const char* theText, int theLength)
{
    if (!theText || theLength <= 0 || theLength % 4 != 0)
        return false;
    int padding = 0;
    while (padding < 2 && theText[theLength - 1 - padding] == '=')
        ++padding;
    for (int i = 0; i < theLength - padding; ++i)
        if (Base64Value(static_cast<unsigned char>(theText[i])) < 0)
            return false;
    return true;
}

void WriteHex(const char* theBytes, int theCount, char* pOut)
{
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < theCount; ++i) {
        const unsigned char byte = static_cast<unsigned char>(theBytes[i]);
        pOut[2 * i] = kDigits[byte >> 4];
        pOut[2 * i + 1] = kDigits[byte & 0xF];
    }
    pOut[2 * (theCount > 0 ? theCount : 0)] = 0;
}

const char* HexText(const char* theBytes, int theCount, Cstring& theOut)
{
    if (theCount < 0)
        theCount = 0;
    theOut.Reserve(2 * theCount);
    WriteHex(theBytes, theCount, theOut.GetBuffer());
    return theOut.GetText();
}
