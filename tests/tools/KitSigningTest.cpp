// patchwell-pack keygen, kit --sign, sign and verify: a kit signed by the
// vendor's key, and every way a kit can fail its check, each named.

#include "KitFixture.h"
#include "engine/KitSignature.h"

#include <fstream>
#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace {

class KitSigning : public UpdateKit {
protected:
    // The public key that keygen prints; the secret key goes to theFile, and
    // what it says to the vendor to theSaid.
    std::string Keygen(const std::string& theFile, const std::string& theSaid = "/dev/null")
    {
        // Braced: RunProgram's own redirection would take standard error back.
        const ProgramRun run = RunProgram("{ " + ProgramFromEnvironment("PW_PACK") + " keygen "
            + ShellQuote(itsTemp / theFile) + " 2>" + ShellQuote(theSaid) + "; }");
        EXPECT_TRUE(Ran(run, 0));
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << "one line: " << run.output;
        return run.output.substr(0, run.output.find('\n'));
    }

    ProgramRun Verify(const std::string& theKit, const std::string& theKey)
    {
        return PackTool("verify " + ShellQuote(theKit) + " --key " + ShellQuote(theKey));
    }
};

void Append(const fs::path& thePath, const std::string& theText)
{
    std::ofstream(thePath, std::ios::app | std::ios::binary) << theText;
}

} // namespace

TEST_F(KitSigning, KeygenWritesAPrivateKeyOnceAndPrintsItsPublicKey)
{
    const std::string publicKey = Keygen("vendor.key", itsTemp / "said");
    EXPECT_EQ(fs::status(itsTemp / "vendor.key").permissions() & fs::perms::all, fs::perms(0600));
    Ed25519Key secret;
    std::string problem;
    ASSERT_TRUE(ReadSecretKeyFile((itsTemp / "vendor.key").c_str(), secret, problem)) << problem;
    EXPECT_EQ(publicKey, KeyText(PublicKeyOf(secret)));
    const std::string said = ReadWholeFile(itsTemp / "said");
    EXPECT_NE(said.find(itsTemp / "vendor.key"), std::string::npos) << said;
    EXPECT_NE(said.find("Keep it secret"), std::string::npos) << said;

    const std::string before = ReadWholeFile(itsTemp / "vendor.key");
    EXPECT_TRUE(Ran(PackTool("keygen " + ShellQuote(itsTemp / "vendor.key")), 1, "File exists"));
    EXPECT_EQ(ReadWholeFile(itsTemp / "vendor.key"), before);
}

TEST_F(KitSigning, VerifyNamesTheCheckThatFailsAndTheFile)
{
    const std::string publicKey = Keygen("vendor.key");
    const std::string otherKey = Keygen("other.key");
    ASSERT_TRUE(Ran(Pack(BothBuilds(), " --sign " + ShellQuote(itsTemp / "vendor.key")), 0,
        "Help, languages, signature.txt\n"));
    // Dated with the newest build that data.txt lists, the one the kit brings.
    const std::string signature = ReadWholeFile(Kit() + "/signature.txt");
    EXPECT_NE(signature.find("\nbuild 2026/11/20 09:30:00\n"), std::string::npos) << signature;

    itsTemp.Write("keys", "# the vendor\n" + publicKey + "\n");
    for (const std::string& key : { publicKey, itsTemp / "keys" })
        EXPECT_TRUE(Ran(Verify(Kit(), key), 0, "is signed: every file as signed, build 2026/11/20 09:30:00"));

    // The manifest's own damage (cut short, another version, a name twice) is
    // named by its parser, KitSignature.ASignedManifestReadsBackAndEveryDamageIsNamed.
    struct Case {
        const char* itsName;
        std::function<void(const fs::path&)> itsChange;
        std::string itsSaid;
        bool bOtherKey = false;
    };
    const std::vector<Case> cases = {
        { "a modified archive",
            [](const fs::path& kit) {
                std::fstream zip(kit / "Spring Update.zip", std::ios::in | std::ios::out | std::ios::binary);
                zip.seekp(100);
                zip.put('\x5a');
            },
            "Spring Update.zip differs from what signature.txt signs (SHA-256 " },
        { "a modified readme", [](const fs::path& kit) { Append(kit / "readme.txt", "Also: free gifts\n"); },
            "readme.txt is 47 bytes; signature.txt signs 30" },
        { "another key", [](const fs::path&) {}, "signature.txt is not signed by the key given", true },
        { "no signature", [](const fs::path& kit) { fs::remove(kit / "signature.txt"); },
            "the kit has no signature.txt: it is not signed" },
        { "a listed file missing", [](const fs::path& kit) { fs::remove(kit / "Help/backup.htm"); },
            "Help/backup.htm is listed in signature.txt but is not in the kit" },
        { "an unlisted help page",
            [](const fs::path& kit) { std::ofstream(kit / "Help/offer.htm") << "<p>Click here</p>"; },
            "Help/offer.htm is in the kit but not listed in signature.txt" },
        { "a manifest of more than the limit",
            [](const fs::path& kit) { Append(kit / "signature.txt", std::string(kManifestLimit, '#')); },
            "signature.txt is larger than a manifest may be (1048576 bytes); it was not read" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        // The updater's program is not part of the check, and the biggest file.
        const fs::path kit = itsTemp.Path() / "cases" / test.itsName;
        fs::create_directories(kit);
        for (const auto& entry : fs::directory_iterator(Kit()))
            if (entry.path().filename() != "patchwell-updater")
                fs::copy(entry.path(), kit / entry.path().filename(), fs::copy_options::recursive);
        test.itsChange(kit);
        EXPECT_TRUE(Ran(Verify(kit, test.bOtherKey ? otherKey : publicKey), 1,
            "patchwell-pack verify: " + kit.string() + ": " + test.itsSaid));
    }

    // Signed again, a changed kit verifies again.
    Append(Kit() + "/readme.txt", "A line more.\n");
    EXPECT_EQ(Verify(Kit(), publicKey).status, 1);
    EXPECT_TRUE(
        Ran(PackTool("sign " + ShellQuote(Kit()) + " --key=" + ShellQuote(itsTemp / "vendor.key")), 0));
    EXPECT_EQ(Verify(Kit(), publicKey).status, 0);

    EXPECT_EQ(Verify(Kit(), "").status, 2);
    EXPECT_EQ(PackTool("verify --key " + publicKey).status, 2);
}

// Which check refuses a key file (its mode, its length) is
// KitSignature.KeyFilesAreCheckedForLengthAndMode; here, that the refusal
// reaches the vendor and leaves nothing made.
TEST_F(KitSigning, AKeyOfTheWrongLengthMakesNoKit)
{
    itsTemp.Write("short.key", KeyText(Ed25519Key {}).substr(0, 24) + "\n");
    fs::permissions(itsTemp / "short.key", fs::perms(0600));
    const std::set<std::string> before = TopNames(itsTemp.Path());
    EXPECT_TRUE(Ran(Pack(BothBuilds(), " --archive --sign " + ShellQuote(itsTemp / "short.key")), 1,
        "patchwell-pack kit: the key file " + itsTemp / "short.key" + " does not hold a secret key"));
    EXPECT_EQ(TopNames(itsTemp.Path()), before) << "no kit, no archive, nothing half made beside them";
}
