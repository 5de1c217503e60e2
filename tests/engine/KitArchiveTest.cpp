// A kit archive comes from anywhere a user downloads things: what it may
// hold, what is refused and why, that nothing is left behind, and that what
// we unpack is what tar unpacks.

#include "engine/UnpackedKit.h"
#include "support/RunProgram.h"
#include "support/ScopedVariable.h"
#include "support/TarRecipe.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class KitArchiveUnpack : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(itsTemp.Path() / "tmp"); }

    bool TemporaryIsEmpty() const { return fs::is_empty(itsTemp.Path() / "tmp"); }

    TempFolder itsTemp;
    CScopedVariable itsTmpdir { "TMPDIR", itsTemp / "tmp" };
};

TarMember Folder(const std::string& theName)
{
    return { theName, '5' };
}

TarMember File(const std::string& theName, const std::string& theData = "data")
{
    return { theName, '0', theData };
}

} // namespace

TEST_F(KitArchiveUnpack, HostileArchivesAreRefusedByTheirCheckAndLeaveNothing)
{
    struct Case {
        const char* itsWhat;
        std::vector<TarMember> itsMembers;
        const char* itsProblem;
        KitArchiveLimits itsLimits = {};
    };
    const std::vector<Case> cases = {
        { "symbolic link", { Folder("kit/"), { "kit/data.txt", '2', "", "/etc/passwd" } },
            "'kit/data.txt' is a symbolic link; a kit archive holds only files and folders" },
        { "hard link", { File("kit/a"), { "kit/b", '1', "", "kit/a" } }, "'kit/b' is a hard link" },
        { "device", { { "kit/tty", '3' } }, "'kit/tty' is a device, a pipe or a socket" },
        { "pipe", { { "kit/fifo", '6' } }, "'kit/fifo' is a device, a pipe or a socket" },
        { "parent", { File("../evil") }, "'../evil' is an absolute name or leads outside the kit" },
        { "parent inside", { File("kit/../../evil") }, "'kit/../../evil' is an absolute name" },
        { "absolute", { File("/tmp/evil") }, "'/tmp/evil' is an absolute name" },
        { "file twice", { File("kit/a", "first"), File("kit/a", "second") },
            "'kit/a' repeats the name of an earlier entry" },
        { "file as folder", { File("kit/a"), File("kit/a/b") }, "'kit/a/b' repeats the name" },
        { "folder as file", { File("kit/a/b"), File("kit/a") }, "'kit/a' repeats the name" },
        { "huge entry", { { "kit/huge", '0', "", "", int64_t(6) << 30 } },
            "'kit/huge' would take the unpacked kit past its limit of 4294967296 bytes" },
        { "bytes", { File("kit/a", "123456"), File("kit/b", "123456") },
            "'kit/b' would take the unpacked kit past its limit of 10 bytes", { 100, 10 } },
        { "entries", { File("a"), File("b"), File("c"), File("d") }, "it holds more than 3 entries", { 3 } },
        { "damaged size", { { "kit/short", '0', "abc", "", 100000 } }, "it is damaged" },
    };
    for (const Case& test : cases) {
        const std::string archive = itsTemp / "kit.pwkit";
        ASSERT_TRUE(WriteTarGz(archive, test.itsMembers));
        CUnpackedKit kit;
        std::string problem;
        EXPECT_FALSE(kit.Unpack(archive.c_str(), problem, test.itsLimits)) << test.itsWhat;
        EXPECT_NE(problem.find(test.itsProblem), std::string::npos) << test.itsWhat << ": " << problem;
        EXPECT_TRUE(TemporaryIsEmpty()) << test.itsWhat;
        EXPECT_FALSE(fs::exists(itsTemp.Path() / "evil")) << test.itsWhat;
    }

    for (const char* contents : { "plain text, not an archive", "" }) {
        CUnpackedKit kit;
        std::string problem;
        EXPECT_FALSE(kit.Unpack(itsTemp.Write("text.pwkit", contents).c_str(), problem));
        EXPECT_NE(problem.find("it is not a kit archive"), std::string::npos) << problem;
        EXPECT_TRUE(TemporaryIsEmpty());
    }
    CUnpackedKit kit;
    std::string problem;
    EXPECT_FALSE(kit.Unpack(itsTemp.Path().c_str(), problem));
    EXPECT_EQ(problem, "it is not a file");
}

// Archives of the tar programs a vendor may use instead of patchwell-pack:
// the unpacked kit holds exactly what they unpack, and goes with its owner.
TEST_F(KitArchiveUnpack, WhatWeUnpackIsWhatTarUnpacks)
{
    const std::string longName = "Help/" + std::string(120, 'n') + ".html";
    for (const std::string& name :
        { std::string("data.txt"), std::string("readme.txt"), longName, std::string("Spring Update.zip"),
            std::string("Help/empty"), std::string("Help/deep/er/page é.htm") })
        itsTemp.Write("source/Spring Kit/" + name, name == "Help/empty" ? "" : "bytes of " + name);
    struct Writer {
        const char* itsName;
        std::string itsCommand; // packs "Spring Kit" from the source folder into ARCHIVE
        bool bTopFolder;
    };
    const std::string source = ShellQuote(itsTemp / "source");
    const std::vector<Writer> writers = {
        { "GNU tar", "tar -czf ARCHIVE -C " + source + " 'Spring Kit'", true },
        { "GNU tar, ./ names", "tar -czf ARCHIVE -C " + source + "/'Spring Kit' .", false },
        { "bsdtar pax", "bsdtar --format pax -czf ARCHIVE -C " + source + " 'Spring Kit'", true },
        { "bsdtar ustar", "bsdtar --format ustar -czf ARCHIVE -C " + source + " 'Spring Kit'", true },
        { "uncompressed", "tar -cf ARCHIVE -C " + source + " 'Spring Kit'", true },
    };
    // A writer that is not installed fails here, saying so.
    for (const Writer& writer : writers) {
        const std::string archive = itsTemp / "kit.pwkit";
        fs::remove(archive);
        std::string command = writer.itsCommand;
        command.replace(command.find("ARCHIVE"), 7, ShellQuote(archive));
        const ProgramRun packed = RunProgram(command);
        ASSERT_EQ(packed.status, 0) << writer.itsName << ": " << packed.output;

        const fs::path byTar = itsTemp.Path() / "by-tar";
        fs::remove_all(byTar);
        fs::create_directory(byTar);
        const ProgramRun unpacked = RunProgram("tar -xf " + ShellQuote(archive) + " -C " + ShellQuote(byTar));
        ASSERT_EQ(unpacked.status, 0) << unpacked.output;

        Cstring temporary;
        {
            CUnpackedKit kit;
            std::string problem;
            ASSERT_TRUE(kit.Unpack(archive.c_str(), problem)) << writer.itsName << ": " << problem;
            temporary = kit.TemporaryFolder();
            const fs::path expected = writer.bTopFolder ? byTar / "Spring Kit" : byTar;
            EXPECT_EQ(kit.KitFolder().GetText(),
                writer.bTopFolder ? std::string(temporary.GetText()) + "/Spring Kit" : temporary.GetText());
            EXPECT_EQ(SnapshotTree(kit.KitFolder().GetText()), SnapshotTree(expected)) << writer.itsName;
            struct stat info { };
            ASSERT_EQ(stat(temporary.GetText(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0700u) << "nobody else reads an unpacked kit";
            for (const auto& item : fs::recursive_directory_iterator(temporary.GetText())) {
                ASSERT_EQ(lstat(item.path().c_str(), &info), 0);
                EXPECT_EQ(info.st_mode & 07777, S_ISDIR(info.st_mode) ? 0700u : 0600u) << item.path();
            }
        }
        EXPECT_FALSE(fs::exists(temporary.GetText())) << writer.itsName;
        EXPECT_TRUE(TemporaryIsEmpty());
    }
}

// A program killed while it held an unpacked kit leaves the folder behind,
// and a kit may be hundreds of megabytes in a RAM-backed /tmp: the next
// unpacking removes it, and nothing that is still in use or not ours.
TEST_F(KitArchiveUnpack, AFolderLeftByAKilledProgramGoesWithTheNextUnpacking)
{
    const std::string archive = itsTemp / "kit.pwkit";
    ASSERT_TRUE(WriteTarGz(archive, { Folder("kit/"), File("kit/data.txt") }));
    const fs::path tmp = itsTemp.Path() / "tmp";
    const auto lastHour = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto madeAs = [&](const std::string& theName, fs::perms thePermissions, bool bOld) {
        fs::create_directory(tmp / theName);
        itsTemp.Write("tmp/" + theName + "/data.txt", "left");
        fs::permissions(tmp / theName, thePermissions);
        if (bOld)
            fs::last_write_time(tmp / theName, lastHour);
        return tmp / theName;
    };
    const fs::path killed = madeAs("patchwell-kit-killed", fs::perms::owner_all, true);
    const fs::path beingMade = madeAs("patchwell-kit-fresh1", fs::perms::owner_all, false);
    const fs::path shared
        = madeAs("patchwell-kit-shared", fs::perms::owner_all | fs::perms::group_exec, true);
    const fs::path other = madeAs("other-program-folder", fs::perms::owner_all, true);
    fs::create_directory_symlink(other, tmp / "patchwell-kit-link01");

    CUnpackedKit held;
    std::string problem;
    ASSERT_TRUE(held.Unpack(archive.c_str(), problem)) << problem;
    fs::last_write_time(held.TemporaryFolder().GetText(), lastHour);
    EXPECT_FALSE(fs::exists(killed));

    CUnpackedKit next;
    ASSERT_TRUE(next.Unpack(archive.c_str(), problem)) << problem;
    EXPECT_TRUE(fs::exists(std::string(held.KitFolder().GetText()) + "/data.txt"))
        << "in use by a live program";
    for (const fs::path& kept : { beingMade, shared, other })
        EXPECT_TRUE(fs::exists(kept / "data.txt")) << kept;
    EXPECT_TRUE(fs::is_symlink(tmp / "patchwell-kit-link01"));
}
