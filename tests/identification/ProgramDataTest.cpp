#include "identification/ProgramData.h"
#include "DataLines.h"
#include "platform/MessageBox.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "support/TraceCapture.h"
#include "support/ZipFixtures.h"

#include <cstring>
#include <filesystem>
#include <gmock/gmock.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

using ::testing::AllOf;
using ::testing::HasSubstr;

namespace {

CProgram* AddProgram(CProgramList& theList, const char* theName, const char* theFolder,
    const char* theExecutable, std::vector<std::pair<const char*, int32_t>> theParts)
{
    CProgram* program = new CProgram();
    program->itsName = theName;
    program->itsFolder = theFolder;
    program->itsExecutable = theExecutable;
    program->itsDate = "2009/03/04 05:06:07";
    for (const auto& [name, size] : theParts) {
        program->AddPart(
            new CProgramPart(nullptr, name, size, size ? "0123456789ABCDEF0123456789ABCDEF" : ""));
        program->itsSize += size;
    }
    theList.Append(program);
    return program;
}

std::string DataFile(const std::vector<std::string>& thePlaintexts)
{
    std::string file;
    for (const std::string& text : thePlaintexts)
        file += (text.empty() ? "" : EncipheredLine(text)) + "\n";
    return file;
}

// Reads theContents as a data file; theTrace, when given, receives the trace.
CProgramDataReport Read(CProgramList& theList, const std::string& theContents, TraceCapture* pTrace = nullptr)
{
    TempFolder folder;
    CProgramDataReport report;
    theList.itsStream = pTrace ? pTrace->Stream() : nullptr;
    ReadProgramData(theList, folder.Write("data.txt", theContents).c_str(), &report);
    theList.itsStream = nullptr;
    return report;
}

} // namespace

TEST(ProgramData, WriteThenReadGivesTheSameRecords)
{
    CProgramList written;
    AddProgram(written, "Patchwell 5.app", "/Applications/Patchwell 5", "Patchwell 5",
        { { "Contents/Info.plist", 1200 }, { "Contents/MacOS/Patchwell 5", 4000000 },
            { "Contents/PkgInfo", 0 } });
    AddProgram(written, "Patchwell PPC", "/Applications/Old", "", { { "<DF>", 123456 }, { "<RF>", 0 } });
    AddProgram(written, "Patchwell 5.1.app", "/Volumes/X/Patchwell \xC3\xA9t\xC3\xA9", "Patchwell", {});
    // The longest record the writer stores.
    AddProgram(written, "P", std::string(735 - std::strlen("File=P||0||"), 'f').c_str(), "", {})->itsDate
        = "";
    TempFolder folder;
    TraceCapture writeTrace;
    written.itsStream = writeTrace.Stream();
    ASSERT_EQ(WriteProgramData(written, (folder / "data.txt").c_str()), 1);
    written.itsStream = nullptr;
    EXPECT_THAT(writeTrace.Text(),
        AllOf(HasSubstr("As Text: File=Patchwell PPC|2009/03/04 05:06:07|123456||/Applications/Old\n"),
            HasSubstr("Encrypted: ")));

    const std::string contents = ReadWholeFile(folder / "data.txt");
    EXPECT_EQ(std::count(contents.begin(), contents.end(), '\n'), 9 + 3) << "empty lines between groups";
    CProgramList read;
    ReadProgramData(read, (folder / "data.txt").c_str());
    ASSERT_EQ(read.GetCount(), 4);
    EXPECT_EQ(Dump(read), Dump(written));
}

TEST(ProgramData, ReaderRules)
{
    CProgramList list;
    TraceCapture trace;
    Read(list,
        "\n\n"
            + DataFile({ "Orphan|1|D1", "  file=  Prog|2010/01/01 09:00:00|12abc|Exe|/folder|extra  ",
                "File=", "   ", "a|abc|DIGEST|more", "b|2", "FILE=Short|x" }),
        &trace);
    for (const char* traced : { "Line 3: Orphan|1|D1\nTried to process file part before data allocated\n",
             "Line 4: file=  Prog|2010/01/01 09:00:00|12abc|Exe|/folder|extra\n"
             "Found File= line for Prog|2010/01/01 09:00:00|12abc|Exe|/folder|extra\n",
             "Line 5: File=\nPart NOT created: File=\n", "Line 6: \nPart NOT created: \n",
             "Part created: a|0|DIGEST\n", "As B64 - ", "After decode - ", "After decrypt - " })
        EXPECT_THAT(trace.Text(), HasSubstr(traced));

    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(Dump(list),
        "File=Prog|2010/01/01 09:00:00|12|Exe|/folder\n|0|\n|0|\na|0|DIGEST\n|0|\n\n"
        "File=||0||\n");
}

// Without a report the reader tells the user itself; a pipe without a writer
// would block an ordinary open for ever.
TEST(ProgramData, AFileThatCannotBeReadRaisesTheAlertAndLeavesTheList)
{
    CTestHost alerts;
    TempFolder folder;
    std::filesystem::create_directory(folder / "data.txt");
    ASSERT_EQ(mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    CProgramList list;
    AddProgram(list, "Kept", "/k", "", {});
    for (const char* name : { "none.txt", "pipe.txt", "data.txt" })
        ReadProgramData(list, (folder / name).c_str());
    EXPECT_EQ(alerts.AlertTexts(),
        (std::vector<std::string> { std::string("Unable to open program data\n") + std::strerror(ENOENT),
            "Unable to open program data\nNot a regular file",
            "Unable to open program data\nIs a directory" }));
    EXPECT_EQ(list.GetCount(), 1);

    CProgramDataReport report;
    ReadProgramData(list, (folder / "missing.txt").c_str(), &report);
    EXPECT_FALSE(report.bOpened);
    EXPECT_EQ(report.Problem(), Cstring("cannot be read: No such file or directory"));

    // An empty file holds no records, which is no failure to read it.
    for (const std::string& empty : { std::string(), std::string("\n\n\n") }) {
        EXPECT_EQ(Read(list, empty).Problem(), Cstring("holds no records"));
        EXPECT_FALSE(Read(list, empty).IsSound()) << "a kit without records is refused";
        ReadProgramData(list, folder.Write("empty.txt", empty).c_str());
    }
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(alerts.AlertTexts().size(), 3u)
        << "with a report the caller tells the user; an empty file is read";
}

TEST(ProgramData, HostileFilesYieldOnlyWhatTheyCan)
{
    const std::string noise = RandomBytes(200000, 7);
    const std::string good = DataFile({ "File=P|d|1|e|/f", "part|1|AA" });
    const std::string truncated = good.substr(0, 30) + "\n" + good.substr(0, good.size() / 2 + 3) + "\n";
    std::string ragged = DataFile({ "File=Q|d|1|e|/f" });
    ragged += "AAAAAAAAAAAAAAAAAAAAAAA=\nAAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8g\n";
    const std::string longLine = "File=" + std::string(100000, 'A') + "\n" + std::string(100000, '/') + "\n";

    for (const std::string& contents : { noise, truncated, ragged, longLine, good + noise + good }) {
        CProgramList list;
        TraceCapture trace;
        Read(list, contents, &trace);
        for (CProgram* program = list.First(); program; program = CProgramList::Next(program))
            for (CProgramPart* part = program->FirstPart(); part; part = CProgram::NextPart(part))
                EXPECT_EQ(part->itsOwner, program);
    }
    CProgramList list;
    Read(list, ragged);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.First()->itsParts.GetCount(), 0) << "ragged lines are no records";
    CProgramList fromNoise;
    const CProgramDataReport report = Read(fromNoise, noise);
    EXPECT_EQ(report.itsRecords, 0);
    EXPECT_FALSE(report.itsUnreadableLines.empty());
    EXPECT_EQ(fromNoise.GetCount(), 0);
}

TEST(ProgramData, DamagedLinesAreSkippedAndNamed)
{
    const std::vector<std::string> texts = { "File=P.app|2009/03/04 05:06:07|3|P|",
        "Contents/MacOS/P|3|0123456789ABCDEF0123456789ABCDEF", "Contents/Info.plist|1|",
        "Contents/PkgInfo|1|", "Contents/Resources/a|1|", "Contents/Resources/b|1|" };
    const std::string good = DataFile(texts);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = good.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(good.substr(at, end - at));

    // One character changed in line 2, lines 4 and 5 swapped for a cut copy,
    // and a last line cut short.
    lines[1][5] = lines[1][5] == 'A' ? 'B' : 'A';
    lines[3] = lines[3].substr(0, 20);
    lines[4] = lines[4].substr(0, lines[4].size() - 4);
    lines[5] = lines[5].substr(0, lines[5].size() / 2);
    std::string damaged;
    for (const std::string& line : lines)
        damaged += line + "\n";

    CProgramList list;
    const CProgramDataReport report = Read(list, damaged);
    EXPECT_TRUE(report.bOpened);
    EXPECT_EQ(report.itsRecords, 2);
    EXPECT_EQ(report.itsUnreadableLines, (std::vector<int> { 2, 4, 5, 6 }));
    EXPECT_FALSE(report.IsSound());
    EXPECT_EQ(report.UnreadableLinesText(), Cstring("2, 4-6"));
    EXPECT_EQ(report.Problem(), Cstring("is damaged: lines 2, 4-6 could not be read"));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(Dump(list), "File=P.app|2009/03/04 05:06:07|3|P|\nContents/Info.plist|1|\n")
        << "no garbage records";

    CProgramList whole;
    const CProgramDataReport sound = Read(whole, good);
    EXPECT_TRUE(sound.IsSound());
    EXPECT_EQ(sound.itsRecords, 6);
    EXPECT_EQ(sound.Problem(), Cstring(""));
}

TEST(ProgramData, CarriageReturnsAndTrailingBlanksReadAsWritten)
{
    const std::vector<std::string> texts
        = { "File=P.app|2009/03/04 05:06:07|3|P|", "Contents/MacOS/P|3|0123456789ABCDEF0123456789ABCDEF", "",
              "File=Q.app|2010/01/01 09:00:00|1|Q|", "Contents/MacOS/Q|1|" };
    const std::string good = DataFile(texts);
    CProgramList expected;
    ASSERT_TRUE(Read(expected, good).IsSound());

    std::string crlf;
    for (const char c : good)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string blanksAfterEachLine;
    for (const char c : good)
        blanksAfterEachLine += c == '\n' ? std::string(" \t\n") : std::string(1, c);
    // Between two groups of four, as a tool that wraps base64 might break a line.
    std::string brokenBetweenGroups = good;
    brokenBetweenGroups.insert(8, "\r\r");
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "CR LF line ends", crlf },
        { "CR LF and a blank line at the end", crlf + "\r\n" },
        { "a line of blanks at the end", good + " \t \n" },
        { "blanks after each line", blanksAfterEachLine },
        { "carriage returns between two groups", brokenBetweenGroups },
    };
    for (const auto& [name, contents] : cases) {
        SCOPED_TRACE(name);
        CProgramList list;
        const CProgramDataReport report = Read(list, contents);
        EXPECT_TRUE(report.IsSound()) << report.Problem().GetText();
        EXPECT_EQ(report.itsRecords, 4);
        EXPECT_EQ(Dump(list), Dump(expected));
    }

    // Inside a group a carriage return is damage, as any other stray byte.
    std::string brokenInAGroup = good;
    brokenInAGroup.insert(6, "\r");
    CProgramList list;
    EXPECT_EQ(Read(list, brokenInAGroup).itsUnreadableLines, std::vector<int> { 1 });
}

TEST(ProgramData, WriterRefusesRecordsThatWouldNotReadBack)
{
    TempFolder folder;
    const std::string path = folder.Write("data.txt", "old contents\n");
    // The reader trims the program's text behind "File=" as well.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        { "P.app", "Contents/Resources/a|b", "holds \"|\"" },
        { "P.app", " Contents/lead", "blank" },
        { "P.app", "File=x", "begins with \"File=\"" },
        { "P.app", "Contents/a\nb", "control character" },
        { "P.app", "Contents/\x7f", "control character" },
        { " P.app", "", "blank" },
        { "\tP.app", "", "blank" },
    };
    for (const auto& [programName, partName, reason] : cases) {
        CProgramList list;
        AddProgram(list, programName, "/f", "P", { { partName, 1 } });
        Cstring why;
        EXPECT_EQ(WriteProgramData(list, path.c_str(), &why), 0) << programName << partName;
        EXPECT_THAT(why.GetText(), HasSubstr(reason));
    }
    CProgramList list;
    AddProgram(list, "P.app", std::string(800, 'f').c_str(), "P", {});
    EXPECT_EQ(WriteProgramData(list, path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), "old contents\n");
    EXPECT_EQ(WriteProgramData(list, (folder / "no/such/folder/data.txt").c_str()), 0);
}

TEST(ProgramList, Queries)
{
    CProgramList list;
    EXPECT_EQ(LatestProgramDate(list), Cstring(""));
    AddProgram(list, "A", "/Apps/One", "", {})->itsDate = "2009/01/02 10:00:00";
    CProgram* second = AddProgram(list, "B", "/Apps/Two", "", {});
    second->itsDate = "2010/01/01 09:00:00";
    AddProgram(list, "C", "/Apps/two", "", {})->itsDate = "";
    EXPECT_EQ(LatestProgramDate(list), Cstring("2010/01/01 09:00:00"));
    EXPECT_EQ(FindProgramByFolder(list, "/APPS/TWO"), second);
    EXPECT_EQ(FindProgramByFolder(list, "/Apps/Two/"), nullptr);
    EXPECT_EQ(FindProgramByFolder(list, "/Apps"), nullptr);
}
