#include "identification/ProgramData.h"
#include "DataLines.h"
#include "platform/MessageBox.h"
#include "support/TempFolder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// Answers alerts for the length of a test and keeps their texts.
class AlertRecorder {
public:
    AlertRecorder()
    {
        SetMessageBoxHook([this](const char* theText, int) {
            itsTexts.push_back(theText);
            return kResultOk;
        });
    }
    ~AlertRecorder() { SetMessageBoxHook(nullptr); }
    std::vector<std::string> itsTexts;
};

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

std::string Dump(const CProgramList& theList)
{
    TraceCapture dump;
    DumpPrograms(theList, dump.Stream());
    return dump.Text();
}

std::string DataFile(const std::vector<std::string>& thePlaintexts)
{
    std::string file;
    for (const std::string& text : thePlaintexts)
        file += (text.empty() ? "" : EncipheredLine(text)) + "\n";
    return file;
}

// Reads theContents as a data file; theTrace, when given, receives the trace.
void Read(CProgramList& theList, const std::string& theContents, TraceCapture* pTrace = nullptr)
{
    TempFolder folder;
    theList.itsStream = pTrace ? pTrace->Stream() : nullptr;
    ReadProgramData(theList, folder.Write("data.txt", theContents).c_str());
    theList.itsStream = nullptr;
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
    TempFolder folder;
    TraceCapture writeTrace;
    written.itsStream = writeTrace.Stream();
    ASSERT_EQ(WriteProgramData(written, (folder / "data.txt").c_str()), 1);
    written.itsStream = nullptr;
    EXPECT_NE(
        writeTrace.Text().find("As Text: File=Patchwell PPC|2009/03/04 05:06:07|123456||/Applications/Old\n"),
        std::string::npos);
    EXPECT_NE(writeTrace.Text().find("Encrypted: "), std::string::npos);

    const std::string contents = ReadWholeFile(folder / "data.txt");
    EXPECT_EQ(std::count(contents.begin(), contents.end(), '\n'), 8 + 2) << "empty lines between groups";
    CProgramList read;
    ReadProgramData(read, (folder / "data.txt").c_str());
    ASSERT_EQ(read.GetCount(), 3);
    EXPECT_EQ(Dump(read), Dump(written));
    for (CProgram *a = written.First(), *b = read.First(); a;
         a = CProgramList::Next(a), b = CProgramList::Next(b)) {
        EXPECT_EQ(a->itsParts.GetCount(), b->itsParts.GetCount());
        for (CProgramPart *p = a->FirstPart(), *q = b->FirstPart(); p;
             p = CProgram::NextPart(p), q = CProgram::NextPart(q)) {
            EXPECT_EQ(q->itsOwner, b);
            EXPECT_EQ(p->itsSize, q->itsSize);
        }
    }
}

TEST(ProgramData, DumpSeparatesProgramsWithAnEmptyLine)
{
    CProgramList list;
    AddProgram(list, "A", "/f", "", {});
    AddProgram(list, "B", "/g", "", { { "<DF>", 0 } });
    EXPECT_EQ(Dump(list), "File=A|2009/03/04 05:06:07|0||/f\n\nFile=B|2009/03/04 05:06:07|0||/g\n<DF>|0|\n");
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
    const std::string text = trace.Text();
    EXPECT_NE(text.find("Line 3: Orphan|1|D1\nTried to process file part before data allocated\n"),
        std::string::npos);
    EXPECT_NE(text.find("Line 4: file=  Prog|2010/01/01 09:00:00|12abc|Exe|/folder|extra\n"
                        "Found File= line for Prog|2010/01/01 09:00:00|12abc|Exe|/folder|extra\n"),
        std::string::npos);
    EXPECT_NE(text.find("Line 5: File=\nPart NOT created: File=\n"), std::string::npos);
    EXPECT_NE(text.find("Line 6: \nPart NOT created: \n"), std::string::npos);
    EXPECT_NE(text.find("Part created: a|0|DIGEST\n"), std::string::npos);
    EXPECT_NE(text.find("As B64 - "), std::string::npos);
    EXPECT_NE(text.find("After decode - "), std::string::npos);
    EXPECT_NE(text.find("After decrypt - "), std::string::npos);

    ASSERT_EQ(list.GetCount(), 2);
    const CProgram* prog = list.First();
    EXPECT_STREQ(prog->itsName.GetText(), "Prog");
    EXPECT_STREQ(prog->itsDate.GetText(), "2010/01/01 09:00:00");
    EXPECT_EQ(prog->itsSize, 12);
    EXPECT_STREQ(prog->itsExecutable.GetText(), "Exe");
    EXPECT_STREQ(prog->itsFolder.GetText(), "/folder");
    EXPECT_EQ(Dump(list),
        "File=Prog|2010/01/01 09:00:00|12|Exe|/folder\n|0|\n|0|\na|0|DIGEST\n|0|\n\n"
        "File=||0||\n");
}

TEST(ProgramData, MissingFileRaisesTheAlertAndLeavesTheList)
{
    AlertRecorder alerts;
    CProgramList list;
    AddProgram(list, "Kept", "/k", "", {});
    TempFolder folder;
    ReadProgramData(list, (folder / "none.txt").c_str());
    ASSERT_EQ(alerts.itsTexts.size(), 1u);
    EXPECT_EQ(alerts.itsTexts[0], std::string("Unable to open program data\n") + std::strerror(ENOENT));
    EXPECT_EQ(list.GetCount(), 1);

    Read(list, "");
    Read(list, "\n\n\n");
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(alerts.itsTexts.size(), 1u) << "an empty file is no failure";
}

TEST(ProgramData, HostileFilesYieldOnlyWhatTheyCan)
{
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
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
    EXPECT_EQ(list.First()->itsParts.GetCount(), 2) << "ragged lines become empty parts";
}

TEST(ProgramData, WriterRefusesRecordsThatWouldNotReadBack)
{
    TempFolder folder;
    const std::string path = folder.Write("data.txt", "old contents\n");
    const std::vector<std::pair<const char*, const char*>> cases = {
        { "Contents/Resources/a|b", "holds \"|\"" },
        { " Contents/lead", "blank" },
        { "File=x", "begins with \"File=\"" },
    };
    for (const auto& [partName, reason] : cases) {
        CProgramList list;
        AddProgram(list, "P.app", "/f", "P", { { partName, 1 } });
        Cstring why;
        EXPECT_EQ(WriteProgramData(list, path.c_str(), &why), 0) << partName;
        EXPECT_NE(std::strstr(why.GetText(), reason), nullptr) << why.GetText();
    }
    CProgramList list;
    AddProgram(list, "P.app", std::string(800, 'f').c_str(), "P", {});
    EXPECT_EQ(WriteProgramData(list, path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), "old contents\n");
    EXPECT_EQ(WriteProgramData(list, (folder / "no/such/folder/data.txt").c_str()), 0);
}

TEST(ProgramData, LongestStorableRecordStillReadsBack)
{
    CProgramList written;
    const std::string folderPath(735 - std::strlen("File=P||0||"), 'f');
    CProgram* program = AddProgram(written, "P", folderPath.c_str(), "", {});
    program->itsDate = "";
    TempFolder folder;
    ASSERT_EQ(WriteProgramData(written, (folder / "data.txt").c_str()), 1);
    CProgramList read;
    ReadProgramData(read, (folder / "data.txt").c_str());
    EXPECT_EQ(Dump(read), Dump(written));
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
