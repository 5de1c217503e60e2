// The program data file. The first byte of an input chooses the level:
//   0: the input is the file's text;
//   1: the input is the records' plaintexts, one a line, enciphered here;
//   2: the input is records (fields apart), written by WriteProgramData.
// At every level whatever the reader made is written again and must read
// back the same; a list the writer refuses leaves the old file as it was.

#include "FuzzSupport.h"
#include "identification/DataLines.h"
#include "identification/ProgramData.h"
#include "identification/ProgramPart.h"

#include <cstdio>

namespace {

enum Level { kFileText, kPlaintexts, kRecords, kLevelCount };

const char kFieldMark = '\x1e';

std::string FileOfPlaintexts(CFuzzInput& theInput)
{
    std::string file;
    while (!theInput.IsEmpty()) {
        const std::string plaintext = theInput.Until('\n');
        file += (plaintext.empty() ? "" : EncipheredLine(plaintext)) + "\n";
    }
    return file;
}

std::vector<std::string> Fields(const std::string& theRecord, size_t theCount)
{
    std::vector<std::string> fields;
    CFuzzInput record(reinterpret_cast<const uint8_t*>(theRecord.data()), theRecord.size());
    while (fields.size() < theCount)
        fields.push_back(record.Until(kFieldMark));
    return fields;
}

// "P" records are programs (name, date, size, executable, folder), the others
// parts (name, size, digest) of the program before them.
void BuildRecords(CFuzzInput& theInput, CProgramList& theList)
{
    CProgram* program = nullptr;
    while (!theInput.IsEmpty()) {
        const std::string record = theInput.Until('\n');
        if (!record.empty() && record[0] == 'P') {
            const std::vector<std::string> fields = Fields(record.substr(1), 5);
            program = new CProgram();
            program->itsName = fields[0].c_str();
            program->itsDate = fields[1].c_str();
            program->itsSize = ParseSize(fields[2].c_str());
            program->itsExecutable = fields[3].c_str();
            program->itsFolder = fields[4].c_str();
            theList.Append(program);
        } else if (program) {
            const std::vector<std::string> fields = Fields(record, 3);
            program->AddPart(new CProgramPart(
                program, fields[0].c_str(), ParseSize(fields[1].c_str()), fields[2].c_str()));
        }
    }
}

void CheckRoundTrip(const CProgramList& theList)
{
    const std::filesystem::path path = FuzzScratch() / "written.txt";
    const std::string old = "the file before\n";
    WriteFuzzFile(path, old);
    Cstring reason;
    if (!WriteProgramData(theList, path.c_str(), &reason)) {
        PW_FUZZ_CHECK(reason.IsNotEmpty(), "a refused list without a reason");
        PW_FUZZ_CHECK(ReadWholeFile(path) == old, "a refused list changed the file: %s", reason.GetText());
        return;
    }
    CProgramList again;
    CProgramDataReport report;
    ReadProgramData(again, path.c_str(), &report);
    PW_FUZZ_CHECK(report.bOpened && report.itsUnreadableLines.empty(), "the reader calls the written file %s",
        report.Problem().GetText());
    const std::string before = Dump(theList);
    const std::string after = Dump(again);
    PW_FUZZ_CHECK(before == after, "written\n%s\nread back\n%s", before.c_str(), after.c_str());
}

FuzzSeeds Seeds()
{
    const std::string program
        = "File=Patchwell 5.app|2009/03/04 05:06:07|1234|Patchwell 5|/Applications/Patchwell 5";
    const std::string part = "Contents/MacOS/Patchwell 5|1234|0123456789ABCDEF0123456789ABCDEF";
    const std::string mark(1, kFieldMark);
    return {
        { "file",
            std::string(1, kFileText) + EncipheredLine(program) + "\n" + EncipheredLine(part) + "\n\n"
                + EncipheredLine(program) + "\n" },
        { "file-ragged", std::string(1, kFileText) + "TWFu\n\n" + EncipheredLine(part).substr(5) + "\n" },
        { "plaintexts",
            std::string(1, kPlaintexts) + program + "\n" + part + "\n\n  file=x|y|z|w|v  \n|||\n" },
        { "plaintexts-orphan",
            std::string(1, kPlaintexts) + part + "\nFile=\n" + std::string(800, 'x') + "\n" },
        { "records",
            std::string(1, kRecords) + "PP.app" + mark + "2009/01/02 10:00:00" + mark + "12" + mark + "P"
                + mark + "/f\nContents/MacOS/P" + mark + "12" + mark + "ABCD\n" },
        { "records-blank", std::string(1, kRecords) + "P\tP.app" + mark + mark + mark + mark + "/f \n" },
    };
}

} // namespace

PW_FUZZ_SEEDS(Seeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    static FILE* const trace = std::fopen("/dev/null", "w");
    CFuzzInput input(theData, theSize);
    const int level = input.Byte() % kLevelCount;
    CProgramList list;
    if (level == kRecords) {
        BuildRecords(input, list);
    } else {
        const std::filesystem::path path = FuzzScratch() / "data.txt";
        WriteFuzzFile(path, level == kFileText ? input.Rest() : FileOfPlaintexts(input));
        list.itsStream = trace;
        CProgramDataReport report;
        ReadProgramData(list, path.c_str(), &report);
        PW_FUZZ_CHECK(report.bOpened, "the data file did not open: %s", report.Problem().GetText());
        list.itsStream = nullptr;
        // The records themselves: a program's text read again gives the same text.
        for (CProgram* program = list.First(); program; program = CProgramList::Next(program)) {
            CProgram copy;
            copy.Parse(program->AsText().GetText());
            PW_FUZZ_CHECK(copy.AsText() == program->AsText(), "a program's text does not parse back");
        }
    }
    CheckRoundTrip(list);
    return 0;
}
