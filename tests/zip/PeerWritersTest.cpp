#include "support/ReaderComparison.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixtures.h"

#include <filesystem>
#include <gmock/gmock.h>

namespace fs = std::filesystem;

namespace {

// Archives that other zip writers make at test time, read by us and
// extracted by unzip: every file the same to the byte. A writer that is not
// installed skips its case (scripts/packages.sh installs them all).
struct PeerWriter {
    const char* itsName;
    std::vector<const char*> itsPrograms; // the first one installed writes
    // Run in the folder that holds NewFiles/: PROGRAM, OUT (the archive) and
    // KEY (the password, quoted) are replaced.
    std::string itsCommand;
    bool bEncrypted = false;
};

// Python's zipfile, into theArchive (a file name, or the pipe to cat).
std::string PythonZip(const std::string& theArchive, const std::string& theOutput)
{
    return "PROGRAM -c '\n"
           "import os, sys, zipfile\n"
           "with zipfile.ZipFile("
        + theArchive
        + ", \"w\", zipfile.ZIP_DEFLATED) as archive:\n"
          "    for folder, folders, files in sorted(os.walk(\"NewFiles\")):\n"
          "        archive.write(folder)\n"
          "        for name in sorted(files):\n"
          "            archive.write(os.path.join(folder, name))\n"
          "' "
        + theOutput;
}

// Named in a failure's message by its name, not its bytes.
void PrintTo(const PeerWriter& theCase, std::ostream* pOut)
{
    *pOut << theCase.itsName;
}

const PeerWriter kWriters[] = {
    { "bsdtar_file", { "bsdtar" }, "PROGRAM -c --format zip -f OUT NewFiles" },
    { "bsdtar_pipe", { "bsdtar" }, "PROGRAM -c --format zip -f - NewFiles | cat > OUT" },
    { "zip_pipe", { "zip" }, "PROGRAM -q -r - NewFiles | cat > OUT" },
    { "zip_pipe_password", { "zip" }, "PROGRAM -q -r -P KEY - NewFiles | cat > OUT", true },
    { "sevenzip", { "7z", "7zz" }, "PROGRAM a -bd -bso0 -tzip OUT NewFiles" },
    { "sevenzip_password", { "7z", "7zz" }, "PROGRAM a -bd -bso0 -tzip -mem=ZipCrypto -pKEY OUT NewFiles",
        true },
    { "python_file", { "python3" }, PythonZip("sys.argv[1]", "OUT") },
    // Written to a pipe, the sizes follow each entry's data.
    { "python_pipe", { "python3" }, PythonZip("sys.stdout.buffer", "| cat > OUT") },
    { "jar", { "jar", "fastjar" }, "PROGRAM cfM OUT NewFiles" },
};

std::string Replaced(std::string theText, const std::string& theWhat, const std::string& theWith)
{
    for (size_t at = 0; (at = theText.find(theWhat, at)) != std::string::npos; at += theWith.size())
        theText.replace(at, theWhat.size(), theWith);
    return theText;
}

std::string Installed(const std::vector<const char*>& thePrograms)
{
    for (const char* program : thePrograms)
        if (RunProgram(std::string("command -v ") + program + " >/dev/null").status == 0)
            return program;
    return "";
}

class PeerWriters : public ::testing::TestWithParam<PeerWriter> {
protected:
    void SetUp() override
    {
        itsTemp.Write("src/NewFiles/Readme.txt", "hello\n");
        itsTemp.Write("src/NewFiles/empty.dat", "");
        itsTemp.Write("src/NewFiles/Help/index with spaces.html", std::string(40000, 'h') + "tml");
        itsTemp.Write("src/NewFiles/Patchwell 5.app/Contents/MacOS/Patchwell 5", RandomBytes(300000, 5));
        fs::create_directories(itsTemp.Path() / "src/NewFiles/Empty folder");
    }

    TempFolder itsTemp;
};

TEST_P(PeerWriters, WhatUnzipExtractsWeReadToTheByte)
{
    const PeerWriter& writer = GetParam();
    const std::string program = Installed(writer.itsPrograms);
    if (program.empty())
        GTEST_SKIP() << writer.itsPrograms.front() << " is not installed";
    if (Installed({ "unzip" }).empty())
        GTEST_SKIP() << "unzip is not installed";
    const std::string key = KeyText();
    const std::string archive = itsTemp / "out.zip";
    std::string command = Replaced(writer.itsCommand, "PROGRAM", program);
    command = Replaced(Replaced(command, "OUT", ShellQuote(archive)), "KEY", ShellQuote(key));
    const ProgramRun written = RunProgram("cd " + ShellQuote(itsTemp / "src") + " && " + command);
    ASSERT_EQ(written.status, 0) << command << "\n" << written.output;

    const std::string password = writer.bEncrypted ? "-P " + ShellQuote(key) + " " : "";
    const ProgramRun unzipped = RunProgram(
        "unzip -q " + password + ShellQuote(archive) + " -d " + ShellQuote(itsTemp / "unzipped"));
    ASSERT_EQ(unzipped.status, 0) << unzipped.output;
    TreeSnapshot expected = SnapshotTree(itsTemp.Path() / "unzipped");
    std::erase_if(expected, [](const auto& theItem) { return theItem.second == "/"; }); // files alone
    ASSERT_EQ(expected.at("NewFiles/Readme.txt"), "hello\n");
    ASSERT_EQ(expected.size(), 4u) << "the writer left out files, or added some";

    TreeSnapshot ours;
    for (const std::string& entry : ReadWithOurs(archive, writer.bEncrypted ? key : "", true)) {
        const size_t equals = entry.find('=');
        ASSERT_NE(equals, std::string::npos) << entry;
        std::string name = entry.substr(0, equals);
        if (!name.empty() && name.back() != '/')
            ours[name] = entry.substr(equals + 1);
    }
    EXPECT_EQ(ours, expected);
}

INSTANTIATE_TEST_SUITE_P(Archives, PeerWriters, ::testing::ValuesIn(kWriters),
    [](const auto& theInfo) { return theInfo.param.itsName; });

} // namespace
