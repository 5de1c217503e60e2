// The whole chain as a vendor and a user run it: patchwell-pack makes a kit,
// patchwell-updater lists and updates an installed copy.

#include "KitFixture.h"
#include "engine/KitOrigin.h"
#include "support/ZipFixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST_F(UpdateKit, KitListsAndUpdatesTheInstalledCopy)
{
    ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    for (const char* name :
        { "patchwell-updater", "Spring Update.zip", "data.txt", "readme.txt", "Help/astart.htm" })
        EXPECT_TRUE(std::filesystem::exists(Kit() + "/" + name)) << name;
    EXPECT_TRUE(Ran(Updater("--list"), 0, Installed().string() + "\n"));
    EXPECT_TRUE(Ran(Updater("--list"), 0, "matches the valid build of 2025/03/01 10:00:00"));

    const TreeSnapshot oldBuild = SnapshotTree(itsTemp.Path() / "builds/5.0.1/Patchwell 5/Patchwell 5.app");
    ASSERT_TRUE(Ran(Apply(), 0, "The update is done."));
    const fs::path newBuild = itsTemp.Path() / "builds/5.0.2/Patchwell 5";
    EXPECT_EQ(SnapshotTree(Installed() / "Patchwell 5.app"), SnapshotTree(newBuild / "Patchwell 5.app"));
    EXPECT_EQ(SnapshotTree(Installed() / "Help"), SnapshotTree(newBuild / "Help"));
    std::string backup;
    for (const auto& entry : fs::directory_iterator(Installed()))
        if (std::regex_match(
                entry.path().filename().string(), std::regex("Patchwell 5_Backup_[0-9]{4}\\.app")))
            backup = entry.path().string();
    ASSERT_FALSE(backup.empty()) << "the old build is kept under a backup name";
    EXPECT_EQ(SnapshotTree(backup), oldBuild);

    const std::string log = Log();
    const std::string bundle = (Installed() / "Patchwell 5.app").string();
    // The copy names no key: the log says first that the kit's origin was not checked.
    EXPECT_EQ(log.find(std::string(kUncheckedOrigin) + "\nOpening update zip file - " + Kit()
                  + "/Spring Update.zip succeeded\n"),
        0u)
        << log;
    EXPECT_NE(log.find("ExtractOneFile - " + bundle + "/Contents/MacOS/Patchwell\n"), std::string::npos);
    EXPECT_NE(log.find("ExtractOneFile - " + Installed().string() + "/Help/index.html\n"), std::string::npos);
    // The new bundle is checked against the newest valid build before the
    // old one is moved aside; its date is told once it is in place.
    const std::string lastLines = bundle
        + " matches the newest valid build of 2026/11/20 09:30:00\nRename of " + bundle + " to " + backup
        + " succeeded\n" + bundle + " timestamp set to 2026/11/20 09:30:00 \n";
    ASSERT_GE(log.size(), lastLines.size());
    EXPECT_EQ(log.substr(log.size() - lastLines.size()), lastLines) << log;
}

namespace {

// Starts theArguments with standard error on a pipe; the caller reads it.
pid_t Spawn(const std::vector<std::string>& theArguments, int& theErrorPipe)
{
    int pipes[2];
    if (pipe(pipes) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], STDERR_FILENO);
    // No terminal to ask on: a signal stops the run without a question.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipes[0]);
    std::vector<char*> argv;
    for (const std::string& argument : theArguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipes[1]);
    theErrorPipe = pipes[0];
    return pid;
}

} // namespace

TEST_F(UpdateKit, SignalInTheMiddleAbortsWithoutATruncatedFile)
{
    std::string big(48 << 20, 0);
    unsigned state = 12345;
    for (char& byte : big)
        byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 23);
    itsTemp.Write("builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/Resources/Fabrics/Big.fab", big);
    ASSERT_TRUE(Ran(Pack(BothBuilds()), 0));
    const TreeSnapshot before = Installation();

    int errors = -1;
    const pid_t pid = Spawn({ Kit() + "/patchwell-updater", "--bundle", Kit(), "--applications",
                                itsTemp / "Applications", "--apply", Installed().string() },
        errors);
    ASSERT_GT(pid, 0);
    FILE* stream = fdopen(errors, "r");
    std::string output;
    bool bSignalled = false;
    char line[4096];
    while (std::fgets(line, sizeof line, stream)) {
        output += line;
        // Once the big entry is on its way, early enough that it cannot finish first.
        if (!bSignalled
            && std::regex_search(line, std::regex("File [0-9]+ of [0-9]+, ([1-9]|[1-4][0-9])%"))) {
            kill(pid, SIGINT);
            bSignalled = true;
        }
    }
    std::fclose(stream);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(bSignalled) << output;
    ASSERT_TRUE(WIFEXITED(status)) << "the signal is an abort, not a kill";
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << output;
    EXPECT_NE(output.find("Cancelled; nothing was changed.\n"), std::string::npos) << output;

    EXPECT_NE(Log().find("ExtractFiles aborted\n"), std::string::npos);
    EXPECT_EQ(Installation(), before) << "the abort came before the installation was touched";
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
