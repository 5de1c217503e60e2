// Kits as they come: an archive another tool wrote, installed as it holds it;
// a kit archive that the installed updater opens as it would the kit's folder,
// refusing a hostile one, and leaving no unpacked kit behind either way.

#include "KitFixture.h"
#include "support/TarRecipe.h"
#include "support/ZipFixtures.h"

TEST_F(UpdateKit, AnInfoZipArchiveWithALatinOneNameIsInstalledByteForByte)
{
    const std::string name = "Patchwell 5.app/Contents/Resources/\xDC"
                             "ber.txt";
    itsTemp.Write("builds/5.0.2/Patchwell 5/" + name, "Latin-1 name");
    ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    // The same build packed by Info-ZIP, which stores the byte as it is and
    // without the UTF-8 flag.
    const std::string archive = Kit() + "/Spring Update.zip";
    std::filesystem::remove(archive);
    std::filesystem::create_directories(itsTemp.Path() / "stage");
    std::filesystem::create_directory_symlink(
        itsTemp.Path() / "builds/5.0.2/Patchwell 5", itsTemp.Path() / "stage/NewFiles");
    ASSERT_EQ(RunProgram("cd " + ShellQuote(itsTemp / "stage") + " && LC_ALL=C zip -q -r -P "
                  + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " NewFiles")
                  .status,
        0);

    ASSERT_TRUE(Ran(Apply(), 0));
    EXPECT_EQ(ReadWholeFile((Installed() / name).string()), "Latin-1 name");
    EXPECT_NE(Log().find(Installed().string() + "/" + name + "\n"), std::string::npos) << Log();
}

namespace fs = std::filesystem;

namespace {

class KitArchiveOpen : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        const ProgramRun pack = Pack(BothBuilds(), " --archive");
        ASSERT_EQ(pack.status, 0) << pack.output;
        fs::create_directory(itsTemp.Path() / "tmp");
        // The kit folder goes: only the archive is left to open.
        fs::remove_all(Kit());
    }

    // The updater of the build, which has no kit beside it, as the installed one.
    ProgramRun Installed(const std::string& theArguments)
    {
        return RunProgram("TMPDIR=" + ShellQuote(itsTemp / "tmp") + " " + ProgramFromEnvironment("PW_UPDATER")
            + " --applications " + ShellQuote(itsTemp / "Applications") + " " + theArguments);
    }

    std::string Archive() const { return ShellQuote(itsTemp / "kit.pwkit"); }
    bool TemporaryIsEmpty() const { return fs::is_empty(itsTemp.Path() / "tmp"); }
};

} // namespace

// Every check of the unpacking is KitArchiveUnpack's; here, that a refusal
// reaches the person with its check and leaves nothing, and that the kit's
// own archive updates the copy and goes afterwards.
TEST_F(KitArchiveOpen, AHostileKitArchiveIsRefusedAndTheKitsOwnUpdatesACopy)
{
    const TreeSnapshot before = SnapshotTree(itsTemp.Path() / "Applications");
    const std::string hostile = itsTemp / "hostile.pwkit";
    ASSERT_TRUE(WriteTarGz(hostile, { { "kit/", '5' }, { "kit/../../x", '0', "x" } }));
    const std::string copy = " --apply " + ShellQuote(UpdateKit::Installed().string());
    EXPECT_TRUE(Ran(Installed(ShellQuote(hostile) + copy), 3,
        "patchwell-updater: the kit archive '" + hostile
            + "' is refused: 'kit/../../x' is an absolute name or leads outside the kit."));
    EXPECT_TRUE(TemporaryIsEmpty());
    EXPECT_EQ(SnapshotTree(itsTemp.Path() / "Applications"), before);
    EXPECT_FALSE(fs::exists(itsTemp.Path() / "x"));

    EXPECT_TRUE(Ran(Installed("--bundle " + Archive() + " --list"), 0, "matches the valid build of "));
    EXPECT_TRUE(TemporaryIsEmpty());
    EXPECT_TRUE(Ran(Installed(Archive() + copy), 0, "The update is done."));
    EXPECT_TRUE(TemporaryIsEmpty());
    EXPECT_TRUE(Ran(Installed(Archive() + copy), 0, "is already up to date"));
}
