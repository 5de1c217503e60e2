#include "engine/UpdateJournal.h"

#include "engine/UpdateNames.h"
#include "foundation/FaultPoint.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char kFirstLine[] = "Patchwell updater journal 1\n";
const char* const kKindNames[] = { "stage", "rename", "move", "exchange", "commit" };

// Tabs and line ends separate fields and records; "%" escapes them.
std::string Escape(const std::string& theText)
{
    std::string escaped;
    for (const char c : theText) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

bool Unescape(const std::string& theText, std::string& theResult)
{
    theResult.clear();
    for (size_t i = 0; i < theText.size(); ++i) {
        if (theText[i] != '%') {
            theResult += theText[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= theText.size() || std::sscanf(theText.c_str() + i + 1, "%2X", &value) != 1)
            return false;
        theResult += static_cast<char>(value);
        i += 2;
    }
    return true;
}

int SyncFolder(int theFolder)
{
    if (const int fault = FaultPoint("fsync journal folder"))
        return fault;
    return fsync(theFolder) == 0 ? 0 : errno;
}

} // namespace

std::string FormatJournalRecord(const JournalRecord& theRecord)
{
    std::string line = kKindNames[theRecord.itsKind];
    const auto addField = [&line](const std::string& theField) {
        line += '\t';
        line += theField;
    };
    if (theRecord.itsKind != JournalRecord::kCommit)
        addField(Escape(theRecord.itsFrom));
    if (theRecord.itsKind == JournalRecord::kRename)
        addField(Escape(theRecord.itsTo));
    if (theRecord.itsKind == JournalRecord::kExchange || theRecord.itsKind == JournalRecord::kMove)
        addField(std::to_string(theRecord.itsInode));
    line += '\n';
    return line;
}

bool ParseJournalRecord(const std::string& theLine, JournalRecord& theRecord)
{
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t tab = theLine.find('\t', start);
        fields.push_back(theLine.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    int kind = -1;
    for (int i = 0; i < 5; ++i)
        if (fields[0] == kKindNames[i])
            kind = i;
    static const size_t kFieldCounts[] = { 2, 3, 3, 3, 1 };
    // Older journals name a moved item without its inode.
    const bool bOldMove = kind == JournalRecord::kMove && fields.size() == 2;
    if (kind < 0 || (fields.size() != kFieldCounts[kind] && !bOldMove))
        return false;
    theRecord = JournalRecord();
    theRecord.itsKind = static_cast<JournalRecord::Kind>(kind);
    if (fields.size() > 1 && !Unescape(fields[1], theRecord.itsFrom))
        return false;
    if (theRecord.itsKind == JournalRecord::kRename && !Unescape(fields[2], theRecord.itsTo))
        return false;
    if (fields.size() == 3 && theRecord.itsKind != JournalRecord::kRename) {
        char* end = nullptr;
        theRecord.itsInode = std::strtoull(fields[2].c_str(), &end, 10);
        if (fields[2].empty() || *end)
            return false;
    }
    return true;
}

int CUpdateJournal::Create(int theTarget)
{
    Close();
    itsRecords.clear();
    if (const int fault = FaultPoint("create journal"))
        return fault;
    itsFile = openat(theTarget, kJournalName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (itsFile == -1)
        return errno;
    // An updater that knows only this lock may have taken the new file for
    // an interrupted run's; it is then that updater's to remove.
    if (flock(itsFile, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    itsTarget = theTarget;
    const size_t length = std::strlen(kFirstLine);
    errno = 0;
    int fault = FaultPoint("write journal");
    if (fault != 0 || write(itsFile, kFirstLine, length) != static_cast<ssize_t>(length)
        || (fault = FaultPoint("fsync journal")) != 0 || fsync(itsFile) != 0) {
        const int error = fault != 0 ? fault : errno != 0 ? errno : EIO;
        Remove();
        return error;
    }
    // The journal's own name must be on disk before the first change.
    return SyncFolder(theTarget);
}

int CUpdateJournal::Load(int theTarget)
{
    Close();
    itsRecords.clear();
    itsFile = openat(theTarget, kJournalName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (itsFile == -1)
        return errno;
    itsTarget = theTarget;
    if (flock(itsFile, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    std::string text;
    char block[4096];
    for (ssize_t count; (count = read(itsFile, block, sizeof block)) > 0;)
        text.append(block, static_cast<size_t>(count));
    // Only whole lines count: a record cut short by a crash was never
    // acted upon, since its change comes after it reached the disk.
    size_t start = text.compare(0, std::strlen(kFirstLine), kFirstLine) == 0 ? std::strlen(kFirstLine) : 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        JournalRecord record;
        if (ParseJournalRecord(text.substr(start, end - start), record))
            itsRecords.push_back(record);
    }
    return 0;
}

int CUpdateJournal::Append(const std::vector<JournalRecord>& theRecords)
{
    std::string text;
    for (const JournalRecord& record : theRecords)
        text += FormatJournalRecord(record);
    if (lseek(itsFile, 0, SEEK_END) == -1)
        return errno;
    if (const int fault = FaultPoint("write journal"))
        return fault;
    for (size_t done = 0; done < text.size();) {
        const ssize_t count = write(itsFile, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? errno : EIO;
        done += static_cast<size_t>(count);
    }
    if (const int fault = FaultPoint("fsync journal"))
        return fault;
    if (fdatasync(itsFile) != 0)
        return errno;
    itsRecords.insert(itsRecords.end(), theRecords.begin(), theRecords.end());
    return 0;
}

int CUpdateJournal::Remove()
{
    if (itsTarget == -1)
        return 0;
    if (const int fault = FaultPoint("remove journal"))
        return fault;
    const int result = unlinkat(itsTarget, kJournalName, 0) == 0 || errno == ENOENT ? 0 : errno;
    const int target = itsTarget;
    Close();
    SyncFolder(target);
    return result;
}

void CUpdateJournal::Close()
{
    if (itsFile != -1)
        close(itsFile);
    itsFile = -1;
    itsTarget = -1;
}

bool CUpdateJournal::IsCommitted() const
{
    for (const JournalRecord& record : itsRecords)
        if (record.itsKind == JournalRecord::kCommit)
            return true;
    return false;
}

std::string CUpdateJournal::StageName() const
{
    for (const JournalRecord& record : itsRecords)
        if (record.itsKind == JournalRecord::kStage)
            return record.itsFrom;
    return std::string();
}
