// Hostile update archives, made here and enciphered with the key, applied
// with --apply to an installed copy that may hold symbolic links put there
// by someone else. Nothing outside the installation may change, and every
// archive that is refused leaves the installation exactly as it was.

#include "KitFixture.h"
#include "support/ZipFixtures.h"

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct HostileCase {
    std::string itsName;
    // What the archive holds: the new build, changed by this.
    std::function<void(std::vector<RawZipEntry>&)> itsArchive;
    // What someone did to the installation beforehand.
    std::function<void()> itsPrepare;
    std::string itsMessage; // in the output of a refused run; empty: the update goes through
};

class HostileCorpus : public UpdateKit {
protected:
    void SetUp() override
    {
        UpdateKit::SetUp();
        ASSERT_EQ(Pack(BothBuilds()).status, 0);
        // Beside the installation, on its file system, so a second name can be made.
        itsTemp.Write("Applications/outside/secret.txt", "not to be touched\n");
        fs::create_directories(itsTemp / "Applications/outside/folder");
        const fs::path build = itsTemp.Path() / "builds/5.0.2/Patchwell 5";
        for (const std::string& name : ListTree(build.string()))
            itsNewBuild.push_back({ "NewFiles/" + name,
                name.back() == '/' ? std::string() : ReadWholeFile((build / name).string()) });
    }

    std::string Outside() const { return itsTemp / "Applications/outside"; }
    std::string InTarget(const std::string& theName) const { return (Installed() / theName).string(); }
    void Link(const std::string& theTo, const std::string& theName)
    {
        fs::remove_all(InTarget(theName));
        fs::create_symlink(theTo, InTarget(theName));
    }

    void Check(const HostileCase& theCase)
    {
        SCOPED_TRACE(theCase.itsName);
        Reinstall();
        std::vector<RawZipEntry> entries = itsNewBuild;
        if (theCase.itsArchive)
            theCase.itsArchive(entries);
        itsTemp.Write("kit/Spring Update.zip", RawZip(entries, KeyText()));
        if (theCase.itsPrepare)
            theCase.itsPrepare();
        const TreeSnapshot outside = SnapshotTree(Outside());
        const TreeSnapshot before = SnapshotTree(Installed());

        const ProgramRun run = Apply();
        EXPECT_EQ(SnapshotTree(Outside()), outside) << run.output;
        TreeSnapshot after = SnapshotTree(Installed());
        for (const auto& [name, content] : after)
            EXPECT_EQ(name.find(".pw"), std::string::npos) << name << " left behind";
        if (theCase.itsMessage.empty()) {
            EXPECT_EQ(run.status, 0) << run.output;
            EXPECT_EQ(SnapshotTree(Installed() / "Patchwell 5.app"),
                SnapshotTree(itsTemp.Path() / "builds/5.0.2/Patchwell 5/Patchwell 5.app"));
            return;
        }
        // Every refusal comes before the copy is changed: status 3.
        EXPECT_TRUE(Ran(run, 3, theCase.itsMessage));
        // The log is the one thing a refused run may write, and only when no
        // one else put something of that name there.
        if (before.count("Updater Log File.txt") == 0)
            after.erase("Updater Log File.txt");
        EXPECT_EQ(after, before) << run.output;
    }

    std::vector<RawZipEntry> itsNewBuild;
};

// Adds one entry to the archive.
std::function<void(std::vector<RawZipEntry>&)> Plus(
    const std::string& theName, const std::string& theData = "x")
{
    return [=](std::vector<RawZipEntry>& theEntries) { theEntries.push_back({ theName, theData }); };
}

// Drops the entries whose names start with thePrefix.
std::function<void(std::vector<RawZipEntry>&)> Without(const std::string& thePrefix)
{
    return [=](std::vector<RawZipEntry>& theEntries) {
        std::erase_if(theEntries,
            [&](const RawZipEntry& theEntry) { return theEntry.itsName.rfind(thePrefix, 0) == 0; });
    };
}

std::function<void(std::vector<RawZipEntry>&)> Changed(const std::string& theName, bool bBadCrc)
{
    return [=](std::vector<RawZipEntry>& theEntries) {
        for (RawZipEntry& entry : theEntries)
            if (entry.itsName == theName) {
                entry.bBadCrc = bBadCrc;
                if (!bBadCrc)
                    entry.itsData[entry.itsData.size() / 2] ^= 1;
            }
    };
}

} // namespace

TEST_F(HostileCorpus, NothingOutsideChangesAndRefusalsChangeNothing)
{
    const std::string unsafe = "Unsafe file name in archive: ";
    const std::string reserved = "Reserved file name in archive: ";
    const std::string duplicate = "Duplicate file name in archive: ";
    const std::string linked = "Destination passes through a symbolic link: ";
    const std::string outside = Outside();
    const std::string deep = [] {
        std::string path = "NewFiles/";
        for (int i = 0; i < 21; ++i)
            path += std::string(200, 'd') + "/";
        return path + "f";
    }();
    std::vector<HostileCase> cases;
    // Names that leave the folder.
    for (const std::string& name : { "/" + outside + "/x", "//" + outside + "/x", std::string("../x"),
             std::string("NewFiles/../x"), std::string("NewFiles/a/../../x"), std::string("NewFiles/..\\x"),
             std::string("NewFiles/a\\..\\..\\x"), std::string("C:/x"), std::string("NewFiles/C:\\x"),
             std::string("NewFiles/./x"), std::string("NewFiles/a//b"), std::string("NewFiles/.."),
             "NewFiles/" + outside + "/x", std::string("newfiles/../x"),
             std::string("NewFiles/Help/../../x") })
        cases.push_back({ name, Plus(name), nullptr, unsafe + name });
    cases.push_back(
        { "zero byte", Plus(std::string("NewFiles/a\0/../../x", 19)), nullptr, unsafe + "NewFiles/a" });
    // Names the run keeps for itself: every backup number, the log, the journal.
    for (const std::string name : { "Patchwell 5_Backup_0000.app/Contents/x", "Patchwell 5_Backup_0042.app/x",
             "Patchwell 5_Backup_0999.app/", "patchwell 5_backup_0500.APP/x", "Updater Log File.txt",
             "UPDATER LOG FILE.TXT", ".pwupdate-journal", ".pwupdate-stage/Patchwell 5.app/x",
             ".pwextract-abcdef", "patchwell 5.app/Contents/MacOS/Patchwell" })
        cases.push_back({ name, Plus("NewFiles/" + name), nullptr, reserved + "NewFiles/" + name });
    // Names that collide once mapped, or ignoring case.
    for (const std::string name :
        { "NewFiles/help/INDEX.html", "NewFiles/Patchwell 5.app/Contents/info.plist",
            "NewFiles/Patchwell 5.app/Contents", "NewFiles/Patchwell 5.app/Contents/PkgInfo/x",
            "newfiles/Help/index.html", "NewFiles/HELP/new.html" })
        cases.push_back({ name, Plus(name), nullptr, duplicate + name });
    cases.push_back({ "file and folder",
        [](auto& e) {
            e.push_back({ "NewFiles/Readme", "x" });
            e.push_back({ "NewFiles/Readme/", "" });
        },
        nullptr, duplicate + "NewFiles/Readme/" });
    // Too long for the file system.
    cases.push_back({ "long component", Plus("NewFiles/" + std::string(256, 'a')), nullptr,
        "File name too long in archive" });
    cases.push_back({ "long path", Plus(deep), nullptr, "File name too long in archive" });
    // Against what the installation holds.
    cases.push_back({ "file on the way", Plus("NewFiles/Extras/x"),
        [&] { itsTemp.Write("Applications/Patchwell 5/Extras", "mine"); },
        "A file is in the way of a folder of the update: " + InTarget("Extras") });
    cases.push_back({ "file over the Help folder", Plus("NewFiles/Help"), nullptr,
        "A folder is in the way of a file of the update: " + InTarget("Help") });
    cases.push_back({ "folder over a help page", Plus("NewFiles/Help/index.html/x"), nullptr,
        "A file is in the way of a folder of the update: " + InTarget("Help/index.html") });
    cases.push_back({ "folder in the way", Plus("NewFiles/Notes.txt"),
        [&] { fs::create_directories(InTarget("Notes.txt/kept")); },
        "A folder is in the way of a file of the update: " + InTarget("Notes.txt") });
    cases.push_back({ "folder entry over a file", Plus("NewFiles/Readme.txt/", ""),
        [&] { itsTemp.Write("Applications/Patchwell 5/Readme.txt", "mine"); },
        "A file is in the way of a folder of the update: " + InTarget("Readme.txt") });
    // Links that someone put into the installation.
    cases.push_back({ "linked Help", nullptr, [&] { Link(outside, "Help"); }, linked + InTarget("Help") });
    cases.push_back({ "linked folder", Plus("NewFiles/link/file"), [&] { Link(outside, "link"); },
        linked + InTarget("link") });
    cases.push_back({ "linked file", Plus("NewFiles/link"), [&] { Link(outside + "/secret.txt", "link"); },
        linked + InTarget("link") });
    cases.push_back({ "dangling link", Plus("NewFiles/dangling"),
        [&] { Link(outside + "/new.txt", "dangling"); }, linked + InTarget("dangling") });
    cases.push_back({ "link deeper down", Plus("NewFiles/Help/deeper/x"),
        [&] { Link(outside + "/folder", "Help/deeper"); }, linked + InTarget("Help/deeper") });
    cases.push_back({ "linked help page", nullptr, [&] { Link(outside + "/secret.txt", "Help/index.html"); },
        linked + InTarget("Help/index.html") });
    // The log in someone else's hands.
    const std::string noLog = "Failed to create updater log file";
    cases.push_back(
        { "linked log", nullptr, [&] { Link(outside + "/secret.txt", "Updater Log File.txt"); }, noLog });
    cases.push_back({ "log with a second name", nullptr,
        [&] {
            ASSERT_EQ(link((outside + "/secret.txt").c_str(), InTarget("Updater Log File.txt").c_str()), 0);
        },
        noLog });
    cases.push_back({ "log is a pipe", nullptr,
        [&] { ASSERT_EQ(mkfifo(InTarget("Updater Log File.txt").c_str(), 0644), 0); }, noLog });
    cases.push_back({ "log is a folder", nullptr,
        [&] { fs::create_directories(InTarget("Updater Log File.txt")); }, noLog });
    // Damaged or incomplete kits.
    cases.push_back(
        { "bad CRC halfway", Changed("NewFiles/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", true),
            nullptr, "Decompress Error (" });
    cases.push_back({ "empty archive", [](auto& e) { e.clear(); }, nullptr, "The update archive is empty" });
    cases.push_back({ "no bundle", Without("NewFiles/Patchwell 5.app"), nullptr,
        "The update failed.\nThe update archive holds no Patchwell 5.app\n" });
    // Every folder it names is there: it looked like a copy already up to date.
    cases.push_back({ "folders alone",
        [](auto& e) {
            std::erase_if(e, [](const RawZipEntry& theEntry) { return theEntry.itsName.back() != '/'; });
        },
        nullptr, "The update archive holds no files, only folders: " + Kit() + "/Spring Update.zip\n" });
    cases.push_back({ "no program", Without("NewFiles/Patchwell 5.app/Contents/MacOS/"), nullptr,
        "holds no program in" });
    cases.push_back({ "not the newest build",
        Changed("NewFiles/Patchwell 5.app/Contents/Resources/Fabrics/Calico.fab", false), nullptr,
        "is not the newest valid build of 2026/11/20 09:30:00: Contents/Resources/Fabrics/Calico.fab "
        "differs" });
    cases.push_back({ "a file too many", Plus("NewFiles/Patchwell 5.app/Contents/Resources/extra.txt"),
        nullptr, "Contents/Resources/extra.txt is not part of the build" });
    // Links the update does not go through: the old bundle is moved aside whole.
    cases.push_back({ "link inside the bundle", nullptr,
        [&] { Link(outside + "/folder", "Patchwell 5.app/Contents/Resources/Blocks"); }, "" });
    cases.push_back({ "the kit as made", nullptr, nullptr, "" });
    ASSERT_GE(cases.size(), 50u);
    for (const HostileCase& test : cases)
        Check(test);
}
