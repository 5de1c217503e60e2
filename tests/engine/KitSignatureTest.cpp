#include "engine/KitSignature.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <size_t N> std::array<uint8_t, N> FromHex(const std::string& theHex)
{
    std::array<uint8_t, N> bytes {};
    for (size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<uint8_t>(std::stoul(theHex.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

// The known answers of the Ed25519 definition (RFC 8032, 7.1, tests 1 to 3).
TEST(KitSignature, Ed25519GivesTheKnownAnswers)
{
    struct Vector {
        const char* itsSecret;
        const char* itsPublic;
        const char* itsMessage;
        const char* itsSignature;
    };
    const Vector vectors[] = {
        { "9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
            "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
            "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46b"
            "d25bf5f0595bbe24655141438e7a100b" },
        { "4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
            "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "\x72",
            "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c"
            "387b2eaeb4302aeeb00d291612bb0c00" },
        { "c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
            "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "\xaf\x82",
            "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc659"
            "4a7c15e9716ed28dc027beceea1ec40a" },
    };
    for (const Vector& vector : vectors) {
        SCOPED_TRACE(vector.itsPublic);
        const Ed25519Key secret = FromHex<32>(vector.itsSecret);
        const std::string message = vector.itsMessage;
        EXPECT_EQ(PublicKeyOf(secret), FromHex<32>(vector.itsPublic));
        const Ed25519Signature expected = FromHex<64>(vector.itsSignature);
        EXPECT_EQ(Sign(secret, message), expected);
        EXPECT_TRUE(Verify(PublicKeyOf(secret), message, expected));
        Ed25519Signature altered = expected;
        altered[10] ^= 1;
        EXPECT_FALSE(Verify(PublicKeyOf(secret), message, altered));
        EXPECT_FALSE(Verify(PublicKeyOf(secret), message + "x", expected));
    }
}

TEST(KitSignature, ASignedManifestReadsBackAndEveryDamageIsNamed)
{
    KitManifest manifest;
    manifest.itsBuildDate = "2026/11/20 09:30:00";
    manifest.itsFiles = { { "Spring Update.zip", 1234, {} }, { "data.txt", 56, {} } };
    manifest.itsFiles[0].itsDigest[0] = 0xab;
    std::string text;
    std::string problem;
    ASSERT_TRUE(FormatManifest(manifest, text, problem)) << problem;
    Ed25519Key secret;
    ASSERT_TRUE(MakeSecretKey(secret));
    const std::string file = SignedManifestText(text, Sign(secret, text));

    KitManifest read;
    std::string signedText;
    Ed25519Signature signature;
    ASSERT_TRUE(ParseSignedManifest(file, read, signedText, signature, problem)) << problem;
    EXPECT_EQ(signedText, text);
    EXPECT_TRUE(Verify(PublicKeyOf(secret), signedText, signature));
    EXPECT_EQ(read.itsBuildDate, manifest.itsBuildDate);
    ASSERT_EQ(read.itsFiles.size(), 2u);
    EXPECT_EQ(read.itsFiles[0].itsName, "Spring Update.zip");
    EXPECT_EQ(read.itsFiles[0].itsSize, 1234u);
    EXPECT_EQ(read.itsFiles[0].itsDigest, manifest.itsFiles[0].itsDigest);

    const std::string fileLine = "file 56 " + std::string(64, '0') + " data.txt\n";
    const std::pair<std::string, std::string> damaged[] = {
        { file.substr(0, file.size() / 2), "no signature line" },
        { "Patchwell update kit manifest 2\n" + file.substr(file.find('\n') + 1), "format version 2" },
        { "PK\3\4", "not an update kit manifest" },
        { text + fileLine + file.substr(text.size()), "lists data.txt twice" },
        { text + "frobnicate\n" + file.substr(text.size()), "line 5 is neither" },
        { file + "trailing\n", "lines follow its signature line" },
        { text + "signature abc\n", "does not hold 64 bytes" },
    };
    for (const auto& [input, expected] : damaged) {
        EXPECT_FALSE(ParseSignedManifest(input, read, signedText, signature, problem)) << expected;
        EXPECT_NE(problem.find(expected), std::string::npos) << problem;
    }
    manifest.itsFiles[1].itsName = "two\nlines";
    EXPECT_FALSE(FormatManifest(manifest, text, problem));
}

TEST(KitSignature, KeyFilesAreCheckedForLengthAndMode)
{
    TempFolder temp;
    Ed25519Key secret;
    ASSERT_TRUE(MakeSecretKey(secret));
    std::string problem;
    const std::string path = temp / "vendor.key";
    // Written at 0600 and never over a file: KitSigning.KeygenWritesAPrivateKeyOnceAndPrintsItsPublicKey.
    ASSERT_TRUE(WriteSecretKeyFile(path.c_str(), secret, problem)) << problem;
    Ed25519Key read;
    ASSERT_TRUE(ReadSecretKeyFile(path.c_str(), read, problem)) << problem;
    EXPECT_EQ(read, secret);
    chmod(path.c_str(), 0644);
    EXPECT_FALSE(ReadSecretKeyFile(path.c_str(), read, problem));
    EXPECT_NE(problem.find("mode 0644"), std::string::npos) << problem;

    temp.Write("short.key", "AAAA\n");
    chmod((temp / "short.key").c_str(), 0600);
    EXPECT_FALSE(ReadSecretKeyFile((temp / "short.key").c_str(), read, problem));
    EXPECT_NE(problem.find("does not hold a secret key"), std::string::npos) << problem;
    EXPECT_EQ(problem.find("AAAA"), std::string::npos) << "a secret is never quoted";

    temp.Write("trusted", "# the vendor\n" + KeyText(PublicKeyOf(secret)) + "\n\n  # old\nnot a key\n");
    std::vector<Ed25519Key> keys;
    EXPECT_FALSE(ReadPublicKeyFile((temp / "trusted").c_str(), keys, problem));
    EXPECT_NE(problem.find("line 5"), std::string::npos) << problem;
    temp.Write("trusted", "# the vendor\n" + KeyText(PublicKeyOf(secret)) + "\n");
    keys.clear();
    ASSERT_TRUE(ReadPublicKeyFile((temp / "trusted").c_str(), keys, problem)) << problem;
    EXPECT_EQ(keys, std::vector<Ed25519Key> { PublicKeyOf(secret) });
}

TEST(KitSignature, DigestOfAFileIsItsSha256)
{
    TempFolder temp;
    temp.Write("abc", "abc");
    const int file = open((temp / "abc").c_str(), O_RDONLY);
    ASSERT_NE(file, -1);
    Sha256Digest digest;
    uint64_t size = 0;
    ASSERT_TRUE(DigestFile(file, digest, size));
    close(file);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(DigestText(digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

} // namespace
