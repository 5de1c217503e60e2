// The lenient base64 decoder of the data file: any text decodes without
// reading past its length or writing past the room it reserved, and what the
// encoder wrote decodes to the same bytes, line breaks between groups or not.

#include "FuzzSupport.h"
#include "foundation/Cstring.h"
#include "identification/ByteText.h"

#include <cstring>
#include <memory>

namespace {

FuzzSeeds Seeds()
{
    return {
        { "well-formed", "TWFuCg==" },
        { "one-pad", "TWE=" },
        { "unpadded", "TWFuY" },
        { "broken-group", "TW=u" },
        { "line-breaks", "TWFu\r\nTWFu\nTQ==" },
        { "outside", "\x01\xff**" },
    };
}

void CheckDecode(const char* theText, int theLength)
{
    CBuffer out(10);
    const int count = Base64Decode(out, theText, theLength);
    PW_FUZZ_CHECK(
        count >= 0 && count <= (theLength / 4 + 1) * 3, "%d bytes from %d characters", count, theLength);
    PW_FUZZ_CHECK(out.GetText()[count] == 0, "no zero byte after the decoded bytes");
}

} // namespace

PW_FUZZ_SEEDS(Seeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    // An exact copy, so that a read past the length is a read past the heap block.
    const int length = static_cast<int>(theSize);
    std::unique_ptr<char[]> text(new char[theSize ? theSize : 1]);
    std::memcpy(text.get(), theData, theSize);
    CheckDecode(text.get(), length);

    Cstring encoded;
    Base64Encode(text.get(), length, encoded);
    CBuffer decoded(10);
    const int count = Base64Decode(decoded, encoded.GetText(), encoded.Length());
    PW_FUZZ_CHECK(count == length && std::memcmp(decoded.GetText(), theData, theSize) == 0,
        "encoded %d bytes, decoded %d others", length, count);

    std::string broken;
    for (int at = 0; at < encoded.Length(); at += 4)
        broken += std::string(encoded.GetText() + at, 4) + (theSize % 2 ? "\r\n" : "\n");
    const int brokenCount = Base64Decode(decoded, broken.data(), static_cast<int>(broken.size()));
    PW_FUZZ_CHECK(brokenCount == length && std::memcmp(decoded.GetText(), theData, theSize) == 0,
        "line breaks between groups changed the bytes");
    return 0;
}
