// Signed kits: patchwell-pack keygen, kit --sign, sign and verify, each failed
// check named; and kits forged against a copy that names the vendor's key, of
// which only the one the vendor signed installs, the others changing nothing.

#include "KitFixture.h"
#include "engine/KitOrigin.h"
#include "engine/KitSignature.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "support/ScriptedObserver.h"

#include <fstream>
#include <functional>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SignedKit : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        itsVendor = MakeKey("vendor");
        itsOther = MakeKey("other");
        // The builds carry the vendor's public key, as the vendor's own do.
        MakeBuild("5.0.1", "2025-03-01 10:00:00", KeyText(PublicKeyOf(itsVendor)));
        MakeBuild("5.0.2", "2026-11-20 09:30:00", KeyText(PublicKeyOf(itsVendor)));
        Reinstall();
        ASSERT_TRUE(Ran(Pack(BothBuilds(), " --sign " + ShellQuote(KeyFile("vendor"))), 0));
        fs::copy(Kit(), itsTemp.Path() / "pristine", fs::copy_options::recursive);
    }

    Ed25519Key MakeKey(const std::string& theName)
    {
        Ed25519Key secret;
        std::string problem;
        EXPECT_TRUE(MakeSecretKey(secret));
        EXPECT_TRUE(WriteSecretKeyFile(KeyFile(theName).c_str(), secret, problem)) << problem;
        itsTemp.Write(theName + ".pub", KeyText(PublicKeyOf(secret)) + "\n");
        return secret;
    }

    std::string KeyFile(const std::string& theName) const { return itsTemp / (theName + ".key"); }

    // Packs a kit of another program, unsigned, and moves the signed one to
    // kit-signed beside it.
    void PackForgedKit()
    {
        itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell", "forged");
        fs::rename(Kit(), itsTemp.Path() / "kit-signed");
        ASSERT_EQ(Pack(BothBuilds()).status, 0);
    }

    // The kit as the vendor made it, again.
    void RestoreKit()
    {
        fs::remove_all(Kit());
        fs::copy(itsTemp.Path() / "pristine", Kit(), fs::copy_options::recursive);
    }

    Ed25519Key itsVendor;
    Ed25519Key itsOther;
};

TEST_F(SignedKit, ACopyThatNamesAKeyTakesOnlyAKitSignedByIt)
{
    struct Case {
        const char* itsName;
        std::function<void()> itsForge;
        int itsStatus;
        const char* itsSaid;
    };
    const std::string archive = Kit() + "/Spring Update.zip";
    // The kit's own damage is named as `patchwell-pack verify` names it
    // (KitSigning); here, what the updater reads and which key it trusts.
    const std::vector<Case> cases = {
        { "as the vendor signed it", [] {}, 0,
            "The update kit is signed by the maker of this copy (build of "
            "2026/11/20 09:30:00)" },
        { "another build, its data file made again",
            [&] {
                PackForgedKit();
                fs::copy_file(itsTemp.Path() / "kit-signed/signature.txt", Kit() + "/signature.txt");
                fs::remove_all(itsTemp.Path() / "kit-signed");
            },
            3, "Spring Update.zip" },
        { "a readme changed", [&] { itsTemp.Write("kit/readme.txt", "Run the attached tool as root.\n"); }, 3,
            "readme.txt is 31 bytes; signature.txt signs" },
        { "signed by another key",
            [&] {
                ASSERT_EQ(
                    PackTool("sign " + ShellQuote(Kit()) + " --key " + ShellQuote(KeyFile("other"))).status,
                    0);
            },
            3, "signature.txt is not signed by the key given" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        Reinstall();
        RestoreKit();
        test.itsForge();
        const TreeSnapshot before = Installation();
        const ProgramRun run = Apply();
        EXPECT_TRUE(Ran(run, test.itsStatus, test.itsSaid));
        if (test.itsStatus != 0) {
            EXPECT_EQ(Installation(), before) << "nothing changes";
            EXPECT_TRUE(Ran(run, 3, "The update kit is not signed by the maker of this copy"));
            EXPECT_EQ(run.output.find("is signed by the maker"), std::string::npos) << run.output;
        }
    }
}

// A new build may name a new key: the kit that brings it is signed by the
// old one, and from then on the copy takes kits signed by the new key only.
// An older build, signed as it is, needs --allow-downgrade.
TEST_F(SignedKit, AnOlderBuildIsRefusedUnlessAllowedAndANewBuildMayBringANewKey)
{
    Reinstall("5.0.2");
    const std::string older = itsTemp / "older";
    ASSERT_TRUE(Ran(PackTool("kit " + ShellQuote(older) + " --data " + BothBuilds() + " --new "
                        + ShellQuote(itsTemp / "builds/5.0.1/Patchwell 5") + " --name 'Spring Update' --sign "
                        + ShellQuote(KeyFile("vendor"))),
        0));
    const std::string updater = UpdaterCommand("--apply " + ShellQuote(Installed()), older);
    const TreeSnapshot before = Installation();
    EXPECT_TRUE(Ran(RunProgram(updater + " --force"), 3,
        "brings the build of 2025/03/01 10:00:00, older than the installed build of 2026/11/20 09:30:00"));
    EXPECT_EQ(Installation(), before);
    EXPECT_TRUE(Ran(RunProgram(updater + " --force --allow-downgrade"), 0));

    Reinstall();
    const Ed25519Key next = MakeKey("next");
    ASSERT_NO_FATAL_FAILURE(MakeBuild("5.0.2", "2026-11-20 09:30:00", KeyText(PublicKeyOf(next))));
    fs::remove_all(Kit());
    ASSERT_TRUE(Ran(Pack(BothBuilds(), " --sign " + ShellQuote(KeyFile("vendor"))), 0));
    ASSERT_TRUE(Ran(Apply(), 0));
    EXPECT_TRUE(Ran(Apply(" --force"), 3)) << "the old key no longer counts";
    ASSERT_TRUE(Ran(PackTool("sign " + ShellQuote(Kit()) + " --key " + ShellQuote(KeyFile("next"))), 0));
    EXPECT_TRUE(Ran(Apply(" --force"), 0));
}

// The archive is read through the descriptor that was checked: another file
// given its name while the run unpacks changes nothing.
TEST_F(SignedKit, AnArchiveSwappedAfterTheCheckChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(PackForgedKit());
    fs::rename(Kit() + "/Spring Update.zip", itsTemp.Path() / "forged.zip");
    fs::remove_all(Kit());
    fs::rename(itsTemp.Path() / "kit-signed", Kit());

    CUpdateKit kit = CUpdateKit::InFolder(Kit().c_str());
    kit.ReadFiles();
    CScriptedObserver observer;
    bool bSwapped = false;
    observer.itsStopPoll = [&] {
        if (!bSwapped)
            fs::rename(itsTemp.Path() / "forged.zip", Kit() + "/Spring Update.zip");
        bSwapped = true;
        return false;
    };
    CUpdateRun run(Installed().c_str(), observer);
    run.SetKit(kit);
    ASSERT_TRUE(run.OpenLog());
    EXPECT_TRUE(run.Apply()) << run.GetMessage().GetText();
    EXPECT_TRUE(bSwapped);
    EXPECT_EQ(std::string(run.GetOriginNote().GetText()),
        "The update kit is signed by the maker of this copy (build of 2026/11/20 09:30:00)");
    EXPECT_NE(ReadWholeFile((Installed() / "Patchwell 5.app/Contents/MacOS/Patchwell").string()), "forged");
}

// Without a key anywhere the kit is taken as before, and the person is told
// that its origin was not checked; with one named for this run, it counts.
TEST_F(UpdateKit, AnUnkeyedCopySaysTheOriginWasNotChecked)
{
    ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    const TreeSnapshot before = Installation();
    EXPECT_TRUE(Ran(Apply(" --require-signature"), 3, "A signed update kit is required"));
    EXPECT_EQ(Installation(), before);

    Ed25519Key secret;
    ASSERT_TRUE(MakeSecretKey(secret));
    itsTemp.Write("admin.pub", KeyText(PublicKeyOf(secret)) + "\n");
    EXPECT_TRUE(Ran(Apply(" --trusted-key " + ShellQuote(itsTemp / "admin.pub")), 3, "has no signature.txt"));
    EXPECT_TRUE(Ran(Apply(), 0, kUncheckedOrigin));
    EXPECT_NE(Log().find(kUncheckedOrigin), std::string::npos);
}

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

} // namespace
