#include "identification/ByteText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Encode(const std::string& theBytes)
{
    Cstring out;
    return Base64Encode(theBytes.data(), static_cast<int>(theBytes.size()), out);
}

std::string Decode(const std::string& theText)
{
    CBuffer out(10);
    const int count = Base64Decode(out, theText.data(), static_cast<int>(theText.size()));
    EXPECT_EQ(out.GetText()[count], 0) << "decoded bytes are followed by a zero byte";
    return std::string(out.GetText(), static_cast<size_t>(count));
}

} // namespace

TEST(Base64, Rfc4648VectorsBothWays)
{
    const char* const vectors[][2] = { { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" }, { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" } };
    for (const auto& vector : vectors) {
        EXPECT_EQ(Encode(vector[0]), vector[1]);
        EXPECT_EQ(Decode(vector[1]), vector[0]) << vector[1];
    }
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    EXPECT_EQ(Decode(Encode(bytes)), bytes) << "every byte value";
}

TEST(Base64, MalformedInputIsReadLeniently)
{
    // Outside the alphabet counts as zero bits; only positions 2-4 end a group.
    EXPECT_EQ(Decode("*m9v"), std::string("\x02\x6f\x6f", 3));
    EXPECT_EQ(Decode("Zm*v"), "f");
    EXPECT_EQ(Decode("Z*9v"), std::string("\x64", 1));
    EXPECT_EQ(Decode("Zm9vYmFy=AAA"), "foobar" + std::string(3, '\0'));
    // Missing padding: a ragged end decodes what it can and stops at the text's end.
    EXPECT_EQ(Decode("Zm9vYmE"), "fooba");
    EXPECT_EQ(Decode("Zm9vY"), "foo" + std::string(1, '\x60'));
    // Line breaks between groups are passed over.
    EXPECT_EQ(Decode("Zm9v\r\nYmFy"), "foobar");
}

TEST(Base64, DecodingNeverOverrunsTheText)
{
    // Sanitizers watch the reads: a text of n bytes with no terminator.
    for (int length = 0; length < 12; ++length) {
        std::string text(static_cast<size_t>(length), 'A');
        CBuffer out(1);
        EXPECT_LE(Base64Decode(out, text.data(), length), length);
    }
}

TEST(Base64, WellFormedIsWhatAnEncoderWrites)
{
    for (const char* text : { "Zg==", "Zm8=", "Zm9v", "Zm9vYmFy", "+/+/" })
        EXPECT_TRUE(IsWellFormedBase64(text, static_cast<int>(std::string(text).size()))) << text;
    for (const char* text : { "", "Zg=", "Zm9vY", "Z===", "Zm=v", "Zm9v\r", "Zm 9",
             "Zm9v\x80"
             "abc" })
        EXPECT_FALSE(IsWellFormedBase64(text, static_cast<int>(std::string(text).size()))) << text;
}
