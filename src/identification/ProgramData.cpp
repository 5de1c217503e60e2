#include "identification/ProgramData.h"

#include "foundation/RegularFile.h"
#include "identification/ByteText.h"
#include "identification/DataCipher.h"
#include "identification/DataTexts.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

// The reader takes at most this many characters of a line at a time.
const int kLineRoom = 1024;
// The longest plaintext whose base64 line still fits the reader's room.
const int kLongestRecord = 735;

const char kProgramPrefix[] = "File=";

Cstring ProgramLine(const CProgram& theProgram)
{
    return Cstring(kProgramPrefix, theProgram.AsText().GetText());
}

// Bytes that no record text holds: the reader takes them for damage.
bool IsControlCharacter(unsigned char theChar)
{
    return (theChar < 0x20 && theChar != '\t') || theChar == 0x7F;
}

// Whether the deciphered bytes are what the writer makes: whole blocks,
// the text without control characters, then zero bytes to the end. A line
// that was cut or altered, or one of another file, fails this in all but a
// small share of cases.
bool IsWellFormedPlaintext(const CBuffer& thePlain)
{
    const int length = thePlain.itsDataLength;
    if (length <= 0 || length % 16 != 0)
        return false;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(thePlain.GetText());
    int at = 0;
    for (; at < length && bytes[at] != 0; ++at)
        if (IsControlCharacter(bytes[at]))
            return false;
    if (at == length)
        return false; // no zero byte ends the text
    for (; at < length; ++at)
        if (bytes[at] != 0)
            return false;
    return true;
}

// A data file saved with CR LF line ends, or with blanks after its last
// record, reads as written: carriage returns and line feeds after each group
// of four base64 characters are skipped, as the decoder skips them, and so
// are blanks at the end of a line, where base64 has none. A line of nothing
// else is left empty, to be skipped as an empty line is.
void DropLineBreaks(char* theLine)
{
    char* out = theLine;
    int inGroup = 0;
    for (const char* at = theLine; *at; ++at) {
        if (inGroup == 0 && (*at == '\r' || *at == '\n'))
            continue;
        *out++ = *at;
        inGroup = (inGroup + 1) % 4;
    }
    while (out > theLine && (out[-1] == ' ' || out[-1] == '\t' || out[-1] == '\r'))
        --out;
    *out = 0;
}

// The record text of one line: the plaintext up to its first zero byte, but
// never past the bytes that were deciphered.
Cstring PlaintextOf(const CBuffer& thePlain)
{
    Cstring text;
    const int length
        = static_cast<int>(strnlen(thePlain.GetText(), static_cast<size_t>(thePlain.itsDataLength)));
    if (length > 0)
        text.Assign(thePlain.GetText(), length);
    text.TrimLeft();
    text.TrimTrailing(' ');
    return text;
}

void ReadRecord(CProgramList& theList, CProgram*& pCurrent, const Cstring& theText)
{
    if (StartsWithNoCase(theText.GetText(), kProgramPrefix)) {
        Cstring programText(theText.GetText() + std::strlen(kProgramPrefix));
        programText.TrimLeft();
        programText.TrimTrailing(' ');
        TraceTo(theList.itsStream, "Found File= line for %s\n", programText.GetText());
        pCurrent = new CProgram();
        pCurrent->Parse(programText.GetText());
        theList.Append(pCurrent);
    } else if (pCurrent) {
        pCurrent->AddPart(new CProgramPart(theText.GetText(), theList.itsStream));
    } else {
        TraceTo(theList.itsStream, "Tried to process file part before data allocated\n");
    }
}

// Why a record would not read back as written, or empty: the reader splits at
// every separator, takes a control character for damage, trims blanks at
// both ends (of a program's text behind "File=" too), takes any "File=" text
// for a program line, and reads lines in pieces of kLineRoom - 1 characters.
// theText is a part's text or a program's text without its prefix.
Cstring Unstorable(const char* theKind, const char* theName, const Cstring& theText, int theFields)
{
    Cstring reason;
    int separators = 0;
    bool bControl = false;
    for (const char* at = theText.GetText(); *at; ++at) {
        separators += *at == kFieldSeparator;
        bControl = bControl || IsControlCharacter(static_cast<unsigned char>(*at));
    }
    const char first = *theText.GetText();
    const bool isPart = theFields == 3;
    const int length = theText.Length() + (isPart ? 0 : static_cast<int>(std::strlen(kProgramPrefix)));
    if (separators != theFields - 1)
        reason.Format("A field of %s \"%s\" holds \"%c\"", theKind, theName, kFieldSeparator);
    else if (bControl)
        reason.Format("A field of %s \"%s\" holds a control character", theKind, theName);
    else if (first == ' ' || first == '\t' || *theText.CharAt(-1) == ' ')
        reason.Format("The record of %s \"%s\" begins or ends with a blank", theKind, theName);
    else if (isPart && StartsWithNoCase(theText.GetText(), kProgramPrefix))
        reason.Format("The name of part \"%s\" begins with \"%s\"", theName, kProgramPrefix);
    else if (length > kLongestRecord)
        reason.Format(
            "The record of %s \"%s\" is longer than %d characters", theKind, theName, kLongestRecord);
    return reason;
}

Cstring FindUnstorable(const CProgramList& theList)
{
    for (CProgram* program = theList.First(); program; program = CProgramList::Next(program)) {
        Cstring reason = Unstorable("program", program->itsName.GetText(), program->AsText(), 5);
        for (CProgramPart* part = program->FirstPart(); part && reason.IsEmpty();
             part = CProgram::NextPart(part))
            reason = Unstorable("part", part->itsName.GetText(), part->AsText(), 3);
        if (reason.IsNotEmpty())
            return reason;
    }
    return Cstring();
}

class CRecordWriter {
public:
    CRecordWriter(const CProgramList& theList, FILE* theFile)
        : itsList(theList)
        , itsFile(theFile)
        , itsKey(MakeDataKey())
    {
    }

    void Write(const Cstring& theText)
    {
        PadPlaintext(theText.GetText(), itsPlain);
        itsCipher.Encrypt(itsPlain, itsKey, itsSecret);
        std::fprintf(itsFile, "%s\n", Base64Encode(itsSecret.GetText(), itsSecret.itsDataLength, itsLine));
        if (itsList.itsStream) {
            Cstring hex;
            TraceTo(itsList.itsStream, "As Text: %s\n", theText.GetText());
            TraceTo(itsList.itsStream, "Encrypted: %s\n",
                HexText(itsSecret.GetText(), itsSecret.itsDataLength, hex));
        }
    }

private:
    const CProgramList& itsList;
    FILE* itsFile;
    Cstring itsKey;
    CDataCipher itsCipher;
    CBuffer itsPlain { 64 };
    CBuffer itsSecret { 64 };
    Cstring itsLine;
};

} // namespace

Cstring CProgramDataReport::UnreadableLinesText() const
{
    Cstring text;
    const std::vector<int>& lines = itsUnreadableLines;
    for (size_t i = 0; i < lines.size();) {
        size_t last = i;
        while (last + 1 < lines.size() && lines[last + 1] == lines[last] + 1)
            ++last;
        Cstring run;
        run.Format(last > i ? "%s%d-%d" : "%s%d", i > 0 ? ", " : "", lines[i], lines[last]);
        text.Append(run.GetText());
        i = last + 1;
    }
    return text;
}

void CProgramDataReport::DescribeProblem(Cstring& theOwn, Cstring& theShown) const
{
    if (!bOpened)
        FormatOwnAndShown(theOwn, theShown, kTextDataUnreadable, RegularFileErrorText(itsError));
    else if (!itsUnreadableLines.empty())
        FormatOwnAndShown(theOwn, theShown,
            itsUnreadableLines.size() > 1 ? kTextDataLinesDamaged : kTextDataLineDamaged,
            UnreadableLinesText().GetText());
    else if (itsRecords == 0)
        FormatOwnAndShown(theOwn, theShown, kTextDataEmpty);
}

Cstring CProgramDataReport::Problem() const
{
    Cstring own;
    Cstring shown;
    DescribeProblem(own, shown);
    return own;
}

Cstring CProgramDataReport::ShownProblem() const
{
    Cstring own;
    Cstring shown;
    DescribeProblem(own, shown);
    return shown;
}

void ReadProgramData(
    CProgramList& theList, const char* thePath, CProgramDataReport* pReport, const std::string* pBytes)
{
    CProgramDataReport report;
    // A stream cannot be made over no bytes at all: one zero byte reads as a
    // line with nothing in it, which is skipped.
    static char nothing[1] = { 0 };
    FilePtr file(pBytes ? fmemopen(pBytes->empty() ? nothing : const_cast<char*>(pBytes->data()),
                     pBytes->empty() ? 1 : pBytes->size(), "r")
                        : OpenRegularFile(thePath, "r", report.itsError),
        std::fclose);
    if (!file) {
        if (pReport) {
            *pReport = report;
        } else {
            MessageBox(FormatText(kTextDataCannotOpen, RegularFileErrorText(report.itsError)).GetText(),
                kMessageBoxOk);
        }
        return;
    }
    report.bOpened = true;
    TraceTo(theList.itsStream, "Reading program data from: %s\n", thePath);

    CBuffer line(kLineRoom);
    const Cstring key = MakeDataKey();
    CDataCipher cipher;
    CBuffer decoded(10);
    CBuffer plain(10);
    Cstring hex;
    int lineNumber = 0;
    CProgram* current = nullptr;
    for (;;) {
        line.Clear();
        plain.Clear();
        if (!std::fgets(line.GetBuffer(), kLineRoom, file.get()))
            break;
        if (char* end = std::strrchr(line.GetBuffer(), '\n'))
            *end = 0;
        DropLineBreaks(line.GetBuffer());
        ++lineNumber;
        if (line.IsEmpty())
            continue;
        TraceTo(theList.itsStream, "As B64 - %s\n", line.GetText());

        decoded.itsDataLength = Base64Decode(decoded, line.GetText(), line.Length());
        // The hexadecimal texts are made only for a trace: a data file holds thousands of lines.
        if (theList.itsStream)
            TraceTo(theList.itsStream, "After decode - %s\n",
                HexText(decoded.GetText(), decoded.itsDataLength, hex));
        const bool bWholeBlocks = cipher.Decrypt(decoded, key, plain);
        if (theList.itsStream)
            TraceTo(theList.itsStream, "After decrypt - %s\n",
                HexText(plain.GetText(), plain.itsDataLength, hex));
        if (!bWholeBlocks || !IsWellFormedBase64(line.GetText(), line.Length())
            || !IsWellFormedPlaintext(plain)) {
            TraceTo(theList.itsStream, "Line %d cannot be deciphered\n", lineNumber);
            report.itsUnreadableLines.push_back(lineNumber);
            continue;
        }

        const Cstring text = PlaintextOf(plain);
        TraceTo(theList.itsStream, "Line %d: %s\n", lineNumber, text.GetText());
        ReadRecord(theList, current, text);
        ++report.itsRecords;
    }
    if (pReport)
        *pReport = report;
}

int WriteProgramData(const CProgramList& theList, const char* thePath, Cstring* pReason)
{
    Cstring reason = thePath && *thePath ? FindUnstorable(theList) : Cstring("No file to write to");
    // Written beside the target and renamed over it, so a failed write leaves
    // the old file whole.
    const Cstring fresh(thePath, ".new");
    if (reason.IsEmpty()) {
        FilePtr file(std::fopen(fresh.GetText(), "w"), std::fclose);
        if (!file) {
            reason.Format("Unable to create %s\n%s", fresh.GetText(), std::strerror(errno));
        } else {
            CRecordWriter writer(theList, file.get());
            for (CProgram* program = theList.First(); program; program = CProgramList::Next(program)) {
                if (program != theList.First())
                    std::fputc('\n', file.get());
                writer.Write(ProgramLine(*program));
                for (CProgramPart* part = program->FirstPart(); part; part = CProgram::NextPart(part))
                    writer.Write(part->AsText());
            }
            const bool bWritten = !std::ferror(file.get());
            if (std::fclose(file.release()) != 0 || !bWritten || std::rename(fresh.GetText(), thePath) != 0) {
                reason.Format("Unable to write %s\n%s", thePath, std::strerror(errno));
                std::remove(fresh.GetText());
            }
        }
    }
    if (pReason)
        *pReason = reason;
    return reason.IsEmpty() ? 1 : 0;
}

void DumpPrograms(const CProgramList& theList, FILE* theStream)
{
    if (!theStream)
        return;
    for (CProgram* program = theList.First(); program; program = CProgramList::Next(program)) {
        if (program != theList.First())
            std::fputc('\n', theStream);
        std::fprintf(theStream, "%s\n", ProgramLine(*program).GetText());
        for (CProgramPart* part = program->FirstPart(); part; part = CProgram::NextPart(part))
            std::fprintf(theStream, "%s\n", part->AsText().GetText());
    }
}
