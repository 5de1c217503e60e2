#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One change a run makes to the target folder, or a mark of its progress.
// Paths are relative to the target folder.
struct JournalRecord {
    enum Kind {
        kStage, // itsFrom: the folder the archive is unpacked into
        kRename, // itsFrom moved to the free name itsTo (the backup, the old-style program)
        kMove, // itsFrom, of inode itsInode, moved from the staging folder to the same place in the target
        kExchange, // itsFrom swapped with the staged file whose inode is itsInode
        kCommit, // every change is made and on disk: the update stays
    };
    Kind itsKind = kStage;
    std::string itsFrom;
    std::string itsTo;
    // What the staged item was, so that an undo takes nothing else that has
    // its name by then. 0 in the move records of older journals.
    uint64_t itsInode = 0;
};

// The journal of a run: the file ".pwupdate-journal" in the target folder.
// Each record reaches the disk before the change it describes is made, so a
// run stopped at any moment (a failure, an abort, a kill, a power loss) can
// be undone from it, by the run itself or by the next start of the updater.
// Whoever creates or reads it holds the folder's lock (CFolderLock); the file
// is locked as well, against updaters that know only that lock.
class CUpdateJournal {
public:
    CUpdateJournal() = default;
    CUpdateJournal(const CUpdateJournal&) = delete;
    CUpdateJournal& operator=(const CUpdateJournal&) = delete;
    ~CUpdateJournal() { Close(); }

    // Starts a new journal in the open folder theTarget. 0, or the errno
    // (EEXIST: an earlier run's journal lies there; EWOULDBLOCK: another
    // updater took the new journal before it could be locked).
    int Create(int theTarget);
    // Opens and reads the journal of an earlier run. 0, ENOENT when there is
    // none, EWOULDBLOCK while a running updater holds it, or another errno.
    int Load(int theTarget);
    // Appends theRecords and syncs them to disk; 0 or the errno.
    int Append(const std::vector<JournalRecord>& theRecords);
    int Append(const JournalRecord& theRecord) { return Append(std::vector<JournalRecord> { theRecord }); }
    // Removes the journal from the target folder and closes it; 0 or errno.
    int Remove();
    void Close();

    const std::vector<JournalRecord>& Records() const { return itsRecords; }
    bool IsCommitted() const;
    // The staging folder named by the journal, or empty.
    std::string StageName() const;

private:
    int itsTarget = -1;
    int itsFile = -1;
    std::vector<JournalRecord> itsRecords;
};

// A journal line and back; names are escaped so any byte but zero survives.
std::string FormatJournalRecord(const JournalRecord& theRecord);
bool ParseJournalRecord(const std::string& theLine, JournalRecord& theRecord);
