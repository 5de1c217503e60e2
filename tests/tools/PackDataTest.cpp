// patchwell-pack's data and dump commands as a vendor runs them.

#include "support/DemoBuild.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>

namespace {

std::string Pack(const std::string& theArguments)
{
    return ProgramFromEnvironment("PW_PACK") + " " + theArguments;
}

void MakeBuild(const TempFolder& theTemp, const std::string& theFolder, const std::string& theVersion)
{
    ASSERT_TRUE(MakeDemoBuild(theTemp / theFolder, theVersion, "2026-01-02 03:04:05"));
}

// data.txt in theTemp, of one build.
void MakeDataFile(const TempFolder& theTemp)
{
    MakeBuild(theTemp, "builds/a/Patchwell 5", "5.0.1");
    const ProgramRun data = RunProgram(
        Pack("data " + ShellQuote(theTemp / "data.txt") + " " + ShellQuote(theTemp / "builds/a")));
    ASSERT_EQ(data.status, 0) << data.output;
}

} // namespace

TEST(PackData, DumpShowsEveryBuildAndFileWithTheDigestsOfMd5sum)
{
    TempFolder temp;
    MakeBuild(temp, "builds/a/Patchwell 5", "5.0.1");
    MakeBuild(temp, "builds/b/Patchwell 5", "5.0.2");
    const ProgramRun data = RunProgram(Pack("data " + ShellQuote(temp / "data.txt") + " "
        + ShellQuote(temp / "builds/a") + " " + ShellQuote(temp / "builds/b")));
    ASSERT_EQ(data.status, 0) << data.output;
    const ProgramRun dump = RunProgram(Pack("dump " + ShellQuote(temp / "data.txt")));
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
    EXPECT_NE(programs[0].find("Patchwell 5.app|2026/01/02 03:04:05|"), std::string::npos) << programs[0];
    const ProgramRun files = RunProgram(
        "cd " + ShellQuote(temp / "builds/a/Patchwell 5/Patchwell 5.app") + " && find . -type f | wc -l");
    EXPECT_EQ(parts.size(), 2 * std::stoul(files.output)) << dump.output;

    // Each part's digest is md5sum's, in upper case.
    const std::string executable = temp / "builds/b/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell";
    std::string md5 = RunProgram("md5sum " + ShellQuote(executable)).output.substr(0, 32);
    std::transform(md5.begin(), md5.end(), md5.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_TRUE(std::regex_search(dump.output, std::regex("\nContents/MacOS/Patchwell\\|33\\|" + md5 + "\n")))
        << md5 << "\n"
        << dump.output;
}

TEST(PackData, BadUsageAndFailuresAreToldApart)
{
    TempFolder temp;
    EXPECT_EQ(RunProgram(Pack("--help")).status, 0);
    EXPECT_EQ(RunProgram(Pack("")).status, 2);
    EXPECT_EQ(RunProgram(Pack("frobnicate")).status, 2);
    EXPECT_EQ(RunProgram(Pack("data " + ShellQuote(temp / "out.txt"))).status, 2) << "no folder to scan";
    EXPECT_EQ(RunProgram(Pack("kit " + ShellQuote(temp / "kit"))).status, 2) << "no --data and no --new";

    const ProgramRun empty
        = RunProgram(Pack("data " + ShellQuote(temp / "out.txt") + " " + ShellQuote(temp.Path().string())));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.output.find("no copy of Patchwell found"), std::string::npos) << empty.output;
    EXPECT_FALSE(std::filesystem::exists(temp / "out.txt"));

    const ProgramRun missing = RunProgram(Pack("dump " + ShellQuote(temp / "missing.txt")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("No such file or directory"), std::string::npos) << missing.output;

    const ProgramRun version = RunProgram(Pack("--version"));
    EXPECT_EQ(version.status, 0) << version.output;
    EXPECT_EQ(version.output.rfind("patchwell-pack ", 0), 0u) << version.output;
    const ProgramRun help = RunProgram(Pack("--help"));
    EXPECT_NE(help.output.find("exit status:\n  0  done\n  1  failed"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("  2  the command line is wrong\n"), std::string::npos) << help.output;
}

TEST(PackData, DumpOfADamagedFileSaysWhichLinesAndFails)
{
    TempFolder temp;
    ASSERT_NO_FATAL_FAILURE(MakeDataFile(temp));
    const std::string good = ReadWholeFile(temp / "data.txt");
    std::mt19937 random(5);
    std::string noise(3000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
    const size_t second = good.find('\n') + 1;
    std::string flipped = good;
    flipped[second + 3] = flipped[second + 3] == 'Q' ? 'R' : 'Q';

    const std::vector<std::pair<std::string, std::string>> cases = {
        { noise, "' is damaged: line" },
        { "", "' holds no records\n" },
        { good.substr(0, second + 10), "' is damaged: line 2 could not be read\n" },
        { flipped, "' is damaged: line 2 could not be read\n" },
    };
    for (const auto& [contents, said] : cases) {
        const std::string path = temp.Write("bad.txt", contents);
        const ProgramRun dump = RunProgram(Pack("dump " + ShellQuote(path)));
        EXPECT_EQ(dump.status, 1) << said << dump.output;
        EXPECT_NE(dump.output.find("patchwell-pack dump: '" + path + said), std::string::npos) << dump.output;
    }
    std::filesystem::create_directory(temp / "folder");
    const ProgramRun folder = RunProgram(Pack("dump " + ShellQuote(temp / "folder")));
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.output.find("' cannot be read: Is a directory"), std::string::npos) << folder.output;
}

TEST(PackData, TheDataFileKeepsNoPathOfTheVendorsMachine)
{
    TempFolder temp;
    ASSERT_NO_FATAL_FAILURE(MakeDataFile(temp));
    const ProgramRun dump = RunProgram(Pack("dump " + ShellQuote(temp / "data.txt")));
    ASSERT_EQ(dump.status, 0) << dump.output;
    EXPECT_EQ(dump.output.find(temp.Path().string()), std::string::npos) << dump.output;
    EXPECT_TRUE(std::regex_search(
        dump.output, std::regex("^File=Patchwell 5\\.app\\|[^|]*\\|[0-9]+\\|Patchwell\\|\n")))
        << dump.output;
}
