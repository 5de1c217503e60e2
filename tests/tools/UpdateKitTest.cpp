// A kit whose archive another tool wrote: patchwell-updater installs it as
// the archive holds it.

#include "KitFixture.h"
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
