#include "identification/DataCipher.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ByteText.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

void BytesFromHex(const char* theHex, CBuffer& theOut)
{
    const int count = static_cast<int>(std::strlen(theHex) / 2);
    theOut.Reserve(count);
    for (int i = 0; i < count; ++i)
        theOut.GetBuffer()[i] = static_cast<char>(std::stoi(std::string(theHex + 2 * i, 2), nullptr, 16));
    theOut.itsDataLength = count;
}

std::string HexOf(const CBuffer& theBytes)
{
    Cstring hex;
    return HexText(theBytes.GetText(), theBytes.itsDataLength, hex);
}

} // namespace

TEST(DataCipher, TwofishKnownAnswers256)
{
    // The first rows of the algorithm's published ECB table for 256-bit keys;
    // their key is all zero bytes, which is what an empty key text gives.
    const char* const answers[][2] = {
        { "00000000000000000000000000000000", "57FF739D4DC92C1BD7FC01700CC8216F" },
        { "57FF739D4DC92C1BD7FC01700CC8216F", "D43BB7556EA32E46F2A282B7D45B4E0D" },
    };
    for (const auto& [plainHex, cipherHex] : answers) {
        CBuffer plain(16);
        BytesFromHex(plainHex, plain);
        CBuffer secret(16);
        CBuffer back(16);
        CDataCipher cipher;
        ASSERT_TRUE(cipher.Encrypt(plain, Cstring(), secret));
        EXPECT_EQ(HexOf(secret), cipherHex);
        ASSERT_TRUE(cipher.Decrypt(secret, Cstring(), back));
        EXPECT_EQ(HexOf(back), plainHex);
    }
}

TEST(DataCipher, EachWholeBlockByItself)
{
    // Two equal blocks give two equal blocks: no chaining between them.
    CBuffer plain(32);
    PadPlaintext("0123456789abcdef0123456789abcdef", plain);
    CBuffer secret(10);
    CDataCipher cipher;
    ASSERT_TRUE(cipher.Encrypt(plain, MakeDataKey(), secret));
    ASSERT_EQ(secret.itsDataLength, 64);
    EXPECT_EQ(std::memcmp(secret.GetText(), secret.GetText() + 16, 16), 0);

    // A ragged input is processed in whole blocks only.
    CBuffer input(18);
    BytesFromHex("000102030405060708090A0B0C0D0E0F1011", input);
    CBuffer output(10);
    EXPECT_FALSE(cipher.Decrypt(input, MakeDataKey(), output));
    EXPECT_EQ(output.itsDataLength, 18);
    EXPECT_EQ(HexOf(output).substr(32), "0000");
}

TEST(DataCipher, PaddingReachesTheNextMultipleOf32BeyondTheText)
{
    const std::pair<std::string, int> cases[] = { { "", 32 }, { std::string(31, 'x'), 32 },
        { std::string(32, 'x'), 64 }, { std::string(33, 'x'), 64 }, { std::string(40, 'x'), 64 } };
    for (const auto& [text, padded] : cases) {
        CBuffer out(1);
        PadPlaintext(text.c_str(), out);
        EXPECT_EQ(out.itsDataLength, padded) << text.size();
        EXPECT_EQ(std::string(out.GetText(), text.size()), text);
        for (int i = static_cast<int>(text.size()); i < padded; ++i)
            ASSERT_EQ(out.GetText()[i], 0);
    }
}

TEST(DataCipher, KeyIsTheKeyTextPaddedWithSpaces)
{
    EXPECT_STREQ(MakeDataKey("abc").GetText(), "abc                             ");
    EXPECT_STREQ(MakeDataKey("0123456789012345678901234567890123456789").GetText(),
        "01234567890123456789012345678901");
    EXPECT_EQ(MakeDataKey().Length(), 32);
}

TEST(DataCipher, OneObjectFollowsEveryChangeOfKey)
{
    // The schedule is kept between calls: each call must still use its own
    // key, whether it differs from the last one or comes back to it.
    CBuffer plain(32);
    PadPlaintext("a record of the data file", plain);
    const Cstring keys[] = { MakeDataKey(), Cstring(), MakeDataKey(), Cstring("another key"), Cstring() };
    CDataCipher shared;
    for (const Cstring& key : keys) {
        CBuffer expected(10);
        CDataCipher fresh;
        ASSERT_TRUE(fresh.Encrypt(plain, key, expected));
        CBuffer secret(10);
        ASSERT_TRUE(shared.Encrypt(plain, key, secret));
        EXPECT_EQ(HexOf(secret), HexOf(expected)) << key.GetText();
        CBuffer back(10);
        ASSERT_TRUE(shared.Decrypt(secret, key, back));
        EXPECT_EQ(HexOf(back), HexOf(plain)) << key.GetText();
    }
}
