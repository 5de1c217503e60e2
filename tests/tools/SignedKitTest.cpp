// Kits tried as an attacker would make them, against a copy whose bundle
// names the vendor's key: only the kit the vendor signed installs, nothing
// changes otherwise, and the message says which check failed on what.

#include "KitFixture.h"
#include "engine/KitOrigin.h"
#include "engine/KitSignature.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "support/ScriptedObserver.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

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
        Reinstall("5.0.1");
        const ProgramRun pack = Pack(BothBuilds(), " --sign " + ShellQuote(KeyFile("vendor")));
        ASSERT_EQ(pack.status, 0) << pack.output;
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

    void Reinstall(const std::string& theVersion)
    {
        fs::remove_all(Installed());
        fs::copy(itsTemp.Path() / ("builds/" + theVersion + "/Patchwell 5"), Installed(),
            fs::copy_options::recursive);
    }

    // The kit as the vendor made it, again.
    void RestoreKit()
    {
        fs::remove_all(Kit());
        fs::copy(itsTemp.Path() / "pristine", Kit(), fs::copy_options::recursive);
    }

    ProgramRun Pack2(const std::string& theArguments)
    {
        return RunProgram(ProgramFromEnvironment("PW_PACK") + " " + theArguments);
    }

    TreeSnapshot Copy() const
    {
        TreeSnapshot tree = SnapshotTree(Installed());
        tree.erase("Updater Log File.txt");
        return tree;
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
    const std::vector<Case> cases = {
        { "as the vendor signed it", [] {}, 0,
            "The update kit is signed by the maker of this copy (build of "
            "2026/11/20 09:30:00)" },
        { "another build, its data file made again",
            [&] {
                itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell", "forged");
                fs::rename(Kit(), itsTemp.Path() / "kit-signed");
                ASSERT_EQ(Pack(BothBuilds()).status, 0);
                fs::copy_file(itsTemp.Path() / "kit-signed/signature.txt", Kit() + "/signature.txt");
                fs::remove_all(itsTemp.Path() / "kit-signed");
            },
            3, "Spring Update.zip" },
        { "a readme changed", [&] { itsTemp.Write("kit/readme.txt", "Run the attached tool as root.\n"); }, 3,
            "readme.txt is 31 bytes; signature.txt signs" },
        { "signed by another key",
            [&] {
                ASSERT_EQ(
                    Pack2("sign " + ShellQuote(Kit()) + " --key " + ShellQuote(KeyFile("other"))).status, 0);
            },
            3, "signature.txt is not signed by the key given" },
        { "no signature", [&] { fs::remove(Kit() + "/signature.txt"); }, 3,
            "the kit has no signature.txt: it is not signed" },
        { "a help page added", [&] { itsTemp.Write("kit/Help/offer.html", "<p>click here</p>"); }, 3,
            "Help/offer.html is in the kit but not listed in signature.txt" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.itsName);
        Reinstall("5.0.1");
        RestoreKit();
        test.itsForge();
        const TreeSnapshot before = Copy();
        const ProgramRun run = Updater("--apply " + ShellQuote(Installed()));
        EXPECT_EQ(run.status, test.itsStatus) << run.output;
        EXPECT_NE(run.output.find(test.itsSaid), std::string::npos) << run.output;
        if (test.itsStatus != 0) {
            EXPECT_EQ(Copy(), before) << "nothing changes";
            EXPECT_NE(
                run.output.find("The update kit is not signed by the maker of this copy"), std::string::npos)
                << run.output;
        }
    }
}

TEST_F(SignedKit, AnOlderBuildIsRefusedUnlessAllowed)
{
    Reinstall("5.0.2");
    const std::string older = itsTemp / "older";
    const ProgramRun pack = Pack2("kit " + ShellQuote(older) + " --data " + BothBuilds() + " --new "
        + ShellQuote(itsTemp / "builds/5.0.1/Patchwell 5") + " --name 'Spring Update' --sign "
        + ShellQuote(KeyFile("vendor")));
    ASSERT_EQ(pack.status, 0) << pack.output;
    const std::string updater = ShellQuote(older + "/patchwell-updater") + " --bundle " + ShellQuote(older)
        + " --applications " + ShellQuote(itsTemp / "Applications") + " --apply " + ShellQuote(Installed());
    const TreeSnapshot before = Copy();
    const ProgramRun refused = RunProgram(updater + " --force");
    EXPECT_EQ(refused.status, 3) << refused.output;
    EXPECT_NE(
        refused.output.find("brings the build of 2025/03/01 10:00:00, older than the installed build of "
                            "2026/11/20 09:30:00"),
        std::string::npos)
        << refused.output;
    EXPECT_EQ(Copy(), before);
    const ProgramRun allowed = RunProgram(updater + " --force --allow-downgrade");
    EXPECT_EQ(allowed.status, 0) << allowed.output;
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
    ASSERT_EQ(Pack(BothBuilds(), " --sign " + ShellQuote(KeyFile("vendor"))).status, 0);
    const ProgramRun rotated = Updater("--apply " + ShellQuote(Installed()));
    ASSERT_EQ(rotated.status, 0) << rotated.output;

    const ProgramRun oldKey = Updater("--apply " + ShellQuote(Installed()) + " --force");
    EXPECT_EQ(oldKey.status, 3) << oldKey.output;
    ASSERT_EQ(Pack2("sign " + ShellQuote(Kit()) + " --key " + ShellQuote(KeyFile("next"))).status, 0);
    const ProgramRun newKey = Updater("--apply " + ShellQuote(Installed()) + " --force");
    EXPECT_EQ(newKey.status, 0) << newKey.output;
}

// The archive is read through the descriptor that was checked: another file
// given its name while the run unpacks changes nothing.
TEST_F(SignedKit, AnArchiveSwappedAfterTheCheckChangesNothing)
{
    RestoreKit();
    itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell", "forged");
    fs::rename(Kit(), itsTemp.Path() / "kit-signed");
    ASSERT_EQ(Pack(BothBuilds()).status, 0);
    fs::rename(Kit() + "/Spring Update.zip", itsTemp.Path() / "forged.zip");
    fs::remove_all(Kit());
    fs::rename(itsTemp.Path() / "kit-signed", Kit());
    const TreeSnapshot signedBuild = SnapshotTree(itsTemp.Path() / "pristine");

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
    ASSERT_EQ(Pack(BothBuilds()).status, 0);
    const auto copy = [this] {
        TreeSnapshot tree = SnapshotTree(Installed());
        tree.erase("Updater Log File.txt"); // which says why
        return tree;
    };
    const TreeSnapshot before = copy();
    const ProgramRun required = Updater("--apply " + ShellQuote(Installed()) + " --require-signature");
    EXPECT_EQ(required.status, 3) << required.output;
    EXPECT_NE(required.output.find("A signed update kit is required"), std::string::npos) << required.output;
    EXPECT_EQ(copy(), before);

    Ed25519Key secret;
    ASSERT_TRUE(MakeSecretKey(secret));
    itsTemp.Write("admin.pub", KeyText(PublicKeyOf(secret)) + "\n");
    const ProgramRun trusted = Updater(
        "--apply " + ShellQuote(Installed()) + " --trusted-key " + ShellQuote(itsTemp / "admin.pub"));
    EXPECT_EQ(trusted.status, 3) << trusted.output;
    EXPECT_NE(trusted.output.find("has no signature.txt"), std::string::npos) << trusted.output;

    const ProgramRun plain = Updater("--apply " + ShellQuote(Installed()));
    EXPECT_EQ(plain.status, 0) << plain.output;
    EXPECT_NE(plain.output.find(kUncheckedOrigin), std::string::npos) << plain.output;
    EXPECT_NE(ReadWholeFile((Installed() / "Updater Log File.txt").string()).find(kUncheckedOrigin),
        std::string::npos);
}

} // namespace
