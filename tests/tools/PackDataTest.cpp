// patchwell-pack's data, dump and archive commands as a vendor runs them.

#include "KitFixture.h"
#include "foundation/Cstring.h"
#include "support/ZipFixtures.h"

#include <regex>
#include <sstream>
#include <tuple>

namespace {

class PackArchive : public ::testing::Test {
protected:
    // patchwell-pack archive theArchive theFolder (under the temporary folder).
    ProgramRun Pack(const std::string& theArchive, const std::string& theFolder)
    {
        return PackTool(
            "archive " + ShellQuote(itsTemp / theArchive) + " " + ShellQuote(itsTemp / theFolder));
    }

    TempFolder itsTemp;
};

using PackData = OneBuild;

} // namespace

TEST_F(PackData, DumpShowsEveryBuildAndFileWithTheDigestsOfMd5sum)
{
    ASSERT_TRUE(MakeDemoBuild(itsTemp / "builds/b/Patchwell 5", "5.0.2", "2026-01-02 03:04:05"));
    const ProgramRun data
        = PackTool("data " + Quoted("data.txt") + " " + Quoted("builds/a") + " " + Quoted("builds/b"));
    ASSERT_EQ(data.status, 0) << data.output;
    const ProgramRun dump = PackTool("dump " + Quoted("data.txt"));
    ASSERT_EQ(dump.status, 0) << dump.output;

    // One program line per build and one part line per file of its bundle.
    std::istringstream lines(dump.output);
    std::vector<std::string> programs;
    std::vector<std::string> parts;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("File=", 0) == 0)
            programs.push_back(line);
        else if (!line.empty())
            parts.push_back(line);
    }
    ASSERT_EQ(programs.size(), 2u) << dump.output;
    // Nothing of the vendor's machine: no path, the folder field empty.
    EXPECT_EQ(dump.output.find(itsTemp.Path().string()), std::string::npos) << dump.output;
    EXPECT_TRUE(std::regex_search(
        dump.output, std::regex("^File=Patchwell 5\\.app\\|[^|]*\\|[0-9]+\\|Patchwell\\|\n")))
        << dump.output;
    EXPECT_NE(programs[0].find("Patchwell 5.app|2026/01/02 03:04:05|"), std::string::npos) << programs[0];
    const ProgramRun files
        = RunProgram("cd " + Quoted("builds/a/Patchwell 5/Patchwell 5.app") + " && find . -type f | wc -l");
    EXPECT_EQ(parts.size(), 2 * std::stoul(files.output)) << dump.output;

    // Each part's digest is md5sum's, in upper case.
    const std::string executable = itsTemp / "builds/b/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell";
    Cstring md5(RunProgram("md5sum " + ShellQuote(executable)).output.substr(0, 32).c_str());
    md5.MakeUpper();
    EXPECT_TRUE(std::regex_search(
        dump.output, std::regex("\nContents/MacOS/Patchwell\\|33\\|" + std::string(md5.GetText()) + "\n")))
        << md5.GetText() << "\n"
        << dump.output;

    // A damaged file: which lines and why is ProgramData's; here, that dump
    // names them and fails.
    std::string flipped = ReadWholeFile(itsTemp / "data.txt");
    const size_t second = flipped.find('\n') + 1;
    flipped[second + 3] = flipped[second + 3] == 'Q' ? 'R' : 'Q';
    const std::string path = itsTemp.Write("bad.txt", flipped);
    EXPECT_TRUE(Ran(PackTool("dump " + ShellQuote(path)), 1,
        "patchwell-pack dump: '" + path + "' is damaged: line 2 could not be read\n"));
    std::filesystem::create_directory(itsTemp / "folder");
    EXPECT_TRUE(Ran(PackTool("dump " + Quoted("folder")), 1, "' cannot be read: Is a directory"));
}

TEST_F(PackData, BadUsageAndFailuresAreToldApart)
{
    const std::string out = Quoted("out.txt");
    const std::tuple<std::string, int, std::string> cases[] = {
        { "", 2, "" },
        { "frobnicate", 2, "unknown command 'frobnicate'" },
        { "data " + out, 2, "" }, // no folder to scan
        { "archive only-one", 2, "missing FOLDER, the folder to pack" },
        { "archive a.zip b c", 2, "unexpected argument 'c'\nTry 'patchwell-pack archive --help'" },
        { "archive -- " + out + " -b", 1, "-b is not a folder" }, // "--" ends the options
        { "kti", 2, "unknown command 'kti'; did you mean 'kit'?" },
        { "--frobnicate", 2, "unknown option '--frobnicate'" },
        { "dump", 2, "missing DATA.txt, the data file to print" },
        { "kit --bogus x", 2, "patchwell-pack kit: unknown option '--bogus'" },
        { "kit " + out + " --data " + Quoted("builds/a"), 2, "patchwell-pack kit: missing --new FOLDER" },
        { "kit " + out + " --new " + Quoted("builds/a/Patchwell 5"), 2, "kit: missing --data FOLDER..." },
        { "kit " + out, 2, "" }, // neither
        { "kit out --archive=yes", 2, "option '--archive' takes no value" },
        { "verify kit --key", 2, "option '--key' needs a value" },
        { "sign kit", 2, "missing --key, the file of the secret key" },
        { "kit -h", 0, "usage: patchwell-pack kit OUTDIR --data FOLDER..." },
        { "-q dump --help", 0, "usage: patchwell-pack dump DATA.txt" },
        { "data " + out + " " + Quoted("Applications"), 1, "no copy of Patchwell found" },
        { "dump " + Quoted("missing.txt"), 1, "No such file or directory" },
        { "--help", 0, "exit status:\n  0  done\n  1  failed" },
        { "--help", 0, "  2  the command line is wrong\n" },
        { "--help", 0, "archive OUT.zip FOLDER" },
        { "--version", 0, "patchwell-pack " },
    };
    for (const auto& [arguments, status, said] : cases)
        EXPECT_TRUE(Ran(PackTool(arguments), status, said)) << arguments;
    EXPECT_FALSE(std::filesystem::exists(itsTemp / "out.txt")) << "no data file, no kit";
}

TEST_F(PackArchive, InfoZipReadsWhatItWrites)
{
    const time_t date = LocalTime(2016, 3, 4, 5, 6, 8);
    SetFileDate(itsTemp.Write("kit/Readme.txt", "read me\n"), date);
    SetFileDate(itsTemp.Write("kit/Help/zeros.bin", std::string(200000, '\0')), date);
    itsTemp.Write("kit/empty", "");
    std::filesystem::create_directories(itsTemp / "kit/Empty Folder");
    const std::string archive = itsTemp / "update.zip";
    ASSERT_TRUE(Ran(Pack("update.zip", "kit"), 0));
    EXPECT_LT(std::filesystem::file_size(archive), 10000u); // deflated

    // The entries' order is Extraction.ArchiveFromPackRoundTrips's.
    // Protected: the wrong password gets nothing out; the key text everything.
    const std::string into = itsTemp / "x";
    EXPECT_NE(
        RunProgram("unzip -q -o -P wrong " + ShellQuote(archive) + " -d " + ShellQuote(into) + " 2>/dev/null")
            .status,
        0);
    EXPECT_FALSE(std::filesystem::exists(into + "/NewFiles/Readme.txt"));
    ASSERT_EQ(RunProgram("unzip -q -o -P " + ShellQuote(KeyText()) + " " + ShellQuote(archive) + " -d "
                  + ShellQuote(into))
                  .status,
        0);
    EXPECT_EQ(ListTree(into + "/NewFiles"), ListTree(itsTemp / "kit"));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Help/zeros.bin"), std::string(200000, '\0'));
    EXPECT_EQ(ReadWholeFile(into + "/NewFiles/Readme.txt"), "read me\n");
    EXPECT_EQ(FileDate(into + "/NewFiles/Readme.txt"), date);
}

TEST_F(PackArchive, FailureLeavesTheOldArchive)
{
    const std::string archive = itsTemp.Write("update.zip", "previous");
    EXPECT_TRUE(Ran(Pack("update.zip", "missing"), 1, "is not a folder"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");

    // A name the updater would refuse is not packed either.
    itsTemp.Write("kit/back\\slash.txt", "x");
    EXPECT_TRUE(Ran(Pack("update.zip", "kit"), 1, "refuses the entry name 'NewFiles/back\\slash.txt'"));
    EXPECT_EQ(ReadWholeFile(archive), "previous");
}

TEST_F(PackArchive, ArchiveInsideItsOwnFolderDoesNotPackItself)
{
    itsTemp.Write("kit/a.txt", "a");
    ASSERT_TRUE(Ran(Pack("kit/update.zip", "kit"), 0));
    ASSERT_TRUE(Ran(Pack("kit/update.zip", "kit"), 0));
    EXPECT_EQ(RunProgram("unzip -Z1 " + ShellQuote(itsTemp / "kit/update.zip")).output,
        "NewFiles/\nNewFiles/a.txt\n");
}
