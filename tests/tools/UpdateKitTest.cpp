// The whole chain as a vendor and a user run it: patchwell-pack makes a kit,
// patchwell-updater lists and updates an installed copy.

#include "KitFixture.h"
#include "engine/KitOrigin.h"
#include "support/ZipFixtures.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

TEST_F(UpdateKit, KitListsAndUpdatesTheInstalledCopy)
{
    ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    for (const char* name :
        { "patchwell-updater", "Spring Update.zip", "data.txt", "readme.txt", "Help/astart.htm" })
        EXPECT_TRUE(std::filesystem::exists(Kit() + "/" + name)) << name;
    // A readme that is a pipe, which the start must not wait on.
    std::filesystem::remove(Kit() + "/readme.txt");
    ASSERT_EQ(mkfifo((Kit() + "/readme.txt").c_str(), 0600), 0);
    EXPECT_TRUE(Ran(Updater("--list"), 0, Installed().string() + "\n"));
    EXPECT_TRUE(Ran(Updater("--list"), 0, "matches the valid build of 2025/03/01 10:00:00"));

    ASSERT_TRUE(Ran(Apply(), 0, "The update is done."));
    const fs::path newBuild = itsTemp.Path() / "builds/5.0.2/Patchwell 5";
    EXPECT_EQ(SnapshotTree(Installed() / "Patchwell 5.app"), SnapshotTree(newBuild / "Patchwell 5.app"));
    EXPECT_EQ(SnapshotTree(Installed() / "Help"), SnapshotTree(newBuild / "Help"));
    EXPECT_EQ(BackupCount(), 1) << "the old build is kept under a backup name";
    // The wizard's run pins every line of the log (UpdateRun); here, that the
    // copy names no key, so the kit's origin was not checked.
    EXPECT_EQ(Log().rfind(kUncheckedOrigin, 0), 0u) << Log();
}

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
