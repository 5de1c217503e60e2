// Kits tried as an attacker would make them, against a copy whose bundle
// names the vendor's key: only the kit the vendor signed installs, nothing
// changes otherwise, and the message says which check failed on what.

#include "KitFixture.h"
#include "engine/KitOrigin.h"
#include "engine/KitSignature.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "support/ScriptedObserver.h"

#include <functional>

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
        fs::remove_all(itsTemp.Path() / "builds");
        for (const auto& [version, date] :
            { std::pair { "5.0.1", "2025-03-01 10:00:00" }, { "5.0.2", "2026-11-20 09:30:00" } })
            ASSERT_TRUE(MakeDemoBuild(itsTemp / ("builds/" + std::string(version) + "/Patchwell 5"), version,
                date, KeyText(PublicKeyOf(itsVendor))));
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

TEST_F(SignedKit, AnOlderBuildIsRefusedUnlessAllowed)
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
}

// A new build may name a new key: the kit that brings it is signed by the
// old one, and from then on the copy takes kits signed by the new key only.
TEST_F(SignedKit, ANewBuildMayBringANewKey)
{
    const Ed25519Key next = MakeKey("next");
    fs::remove_all(itsTemp.Path() / "builds/5.0.2");
    ASSERT_TRUE(MakeDemoBuild(
        itsTemp / "builds/5.0.2/Patchwell 5", "5.0.2", "2026-11-20 09:30:00", KeyText(PublicKeyOf(next))));
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
    RestoreKit();
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

} // namespace
