#include "engine/StagedInstall.h"

#include "engine/UpdateNames.h"
#include "foundation/FaultPoint.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY;

void SplitRelative(const std::string& thePath, std::string& theParent, std::string& theName)
{
    const size_t slash = thePath.rfind('/');
    theParent = slash == std::string::npos ? std::string() : thePath.substr(0, slash);
    theName = slash == std::string::npos ? thePath : thePath.substr(slash + 1);
}

std::string Join(const Cstring& theFolder, const std::string& theName)
{
    return std::string(theFolder.GetText()) + "/" + theName;
}

bool Exists(int theFolder, const std::string& theName, struct stat* pInfo = nullptr)
{
    struct stat info;
    return fstatat(theFolder, theName.c_str(), pInfo ? pInfo : &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// The parent folders of theRelative in the staging folder and in the target.
struct ItemPlace {
    ItemPlace(int theTarget, int theStage, const std::string& theRelative)
    {
        std::string parent;
        SplitRelative(theRelative, parent, itsName);
        itsTarget = OpenBeneath(theTarget, parent.c_str(), kFolderFlags);
        itsStage
            = itsTarget == -1 || theStage == -1 ? -1 : OpenBeneath(theStage, parent.c_str(), kFolderFlags);
        itsError = itsTarget == -1 || itsStage == -1 ? (theStage == -1 ? ENOENT : errno) : 0;
    }
    ~ItemPlace()
    {
        if (itsTarget != -1)
            close(itsTarget);
        if (itsStage != -1)
            close(itsStage);
    }
    ItemPlace(const ItemPlace&) = delete;
    ItemPlace& operator=(const ItemPlace&) = delete;

    int itsTarget = -1;
    int itsStage = -1;
    int itsError = 0;
    std::string itsName;
};

int FaultyRename(
    int theFromFolder, const char* theFrom, int theToFolder, const char* theTo, unsigned theFlags)
{
    if (const int fault = FaultPoint("rename"))
        return fault;
    if (theFlags == RENAME_NOREPLACE)
        return RenameNoReplace(theFromFolder, theFrom, theToFolder, theTo);
    return renameat2(theFromFolder, theFrom, theToFolder, theTo, theFlags) == 0 ? 0 : errno;
}

bool UndoRecord(const CConfinedFolder& theTarget, const Cstring& theTargetPath, int theStage,
    const JournalRecord& theRecord, FILE* theLog)
{
    const int target = theTarget.Descriptor();
    int error = 0;
    switch (theRecord.itsKind) {
    case JournalRecord::kRename: {
        if (Exists(target, theRecord.itsFrom) || !Exists(target, theRecord.itsTo))
            return true; // never made
        error = FaultyRename(
            target, theRecord.itsTo.c_str(), target, theRecord.itsFrom.c_str(), RENAME_NOREPLACE);
        if (theLog)
            std::fprintf(theLog,
                error == 0 ? "Rename of %s to %s succeeded\n" : "Rename of %s to %s failed\n",
                Join(theTargetPath, theRecord.itsTo).c_str(), Join(theTargetPath, theRecord.itsFrom).c_str());
        return error == 0;
    }
    case JournalRecord::kMove: {
        ItemPlace place(target, theStage, theRecord.itsFrom);
        if (place.itsError == 0) {
            // What has the name now may be what an earlier undo put back.
            struct stat info;
            if (Exists(place.itsStage, place.itsName) || !Exists(place.itsTarget, place.itsName, &info)
                || (theRecord.itsInode != 0 && info.st_ino != theRecord.itsInode))
                return true;
            error = FaultyRename(place.itsTarget, place.itsName.c_str(), place.itsStage,
                place.itsName.c_str(), RENAME_NOREPLACE);
        } else if (place.itsError != ENOENT) {
            error = place.itsError;
        }
        if (error == 0 && place.itsError == 0 && theLog)
            std::fprintf(theLog, "Removed %s\n", Join(theTargetPath, theRecord.itsFrom).c_str());
        break;
    }
    case JournalRecord::kExchange: {
        ItemPlace place(target, theStage, theRecord.itsFrom);
        struct stat info;
        if (place.itsError != 0 || !Exists(place.itsTarget, place.itsName, &info)
            || info.st_ino != theRecord.itsInode)
            return place.itsError == 0 || place.itsError == ENOENT;
        error = FaultyRename(
            place.itsStage, place.itsName.c_str(), place.itsTarget, place.itsName.c_str(), RENAME_EXCHANGE);
        if (error == 0 && theLog)
            std::fprintf(theLog, "Restored %s\n", Join(theTargetPath, theRecord.itsFrom).c_str());
        break;
    }
    case JournalRecord::kStage:
    case JournalRecord::kCommit:
        return true;
    }
    if (error != 0 && theLog)
        std::fprintf(theLog, "Unable to restore %s - %s\n", Join(theTargetPath, theRecord.itsFrom).c_str(),
            std::strerror(error));
    return error == 0;
}

} // namespace

int RenameNoReplace(int theFromFolder, const char* theFrom, int theToFolder, const char* theTo)
{
    if (renameat2(theFromFolder, theFrom, theToFolder, theTo, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: check first, accepting the small race.
    if (Exists(theToFolder, theTo))
        return EEXIST;
    return renameat(theFromFolder, theFrom, theToFolder, theTo) == 0 ? 0 : errno;
}

bool UndoJournal(const CConfinedFolder& theTarget, const Cstring& theTargetPath, CUpdateJournal& theJournal,
    FILE* theLog, int theStage)
{
    const std::string stage = theJournal.StageName();
    // Only a name of ours, in the target folder itself, is ever removed.
    const bool bOwnStage = !stage.empty() && stage.compare(0, std::strlen(kOwnPrefix), kOwnPrefix) == 0
        && stage.find('/') == std::string::npos;
    bool bUndone = true;
    if (!theJournal.IsCommitted()) {
        CConfinedFolder opened;
        if (theStage == -1 && bOwnStage) {
            const int folder = OpenBeneath(theTarget.Descriptor(), stage.c_str(), kFolderFlags);
            if (folder != -1) {
                opened.Adopt(folder);
                close(folder);
            }
            theStage = opened.Descriptor();
        }
        const std::vector<JournalRecord>& records = theJournal.Records();
        for (auto record = records.rbegin(); record != records.rend(); ++record)
            bUndone = UndoRecord(theTarget, theTargetPath, theStage, *record, theLog) && bUndone;
    }
    // What is left to undo stays recorded, for another try at the next start.
    if (!bUndone)
        return false;
    if (bOwnStage) {
        if (const int error = RemoveTree(theTarget.Descriptor(), stage.c_str()); error != 0) {
            // The journal stays, so that the next start clears the folder away.
            if (theLog)
                std::fprintf(theLog, "Unable to remove %s - %s\n", Join(theTargetPath, stage).c_str(),
                    std::strerror(error));
            theJournal.Close();
            return true;
        }
    }
    theJournal.Remove();
    return true;
}

CStagedInstall::CStagedInstall(const CConfinedFolder& theTarget, const Cstring& theTargetPath, FILE* theLog)
    : itsTarget(theTarget)
    , itsTargetPath(theTargetPath)
    , itsLog(theLog)
{
}

bool CStagedInstall::Begin(Cstring& theMessage)
{
    const char* target = itsTargetPath.GetText();
    if (const int error = itsJournal.Create(itsTarget.Descriptor()); error != 0) {
        if (error == EEXIST)
            theMessage.Format(
                "An earlier update of %s was interrupted or is still running; start the updater "
                "again to finish it",
                target);
        else
            theMessage.Format("Unable to start the update in %s - %s", target, std::strerror(error));
        return false;
    }
    bStarted = true;
    JournalRecord stage;
    stage.itsFrom = kStageName;
    if (const int error = itsJournal.Append(stage); error != 0) {
        theMessage.Format("Unable to start the update in %s - %s", target, std::strerror(error));
        return false;
    }
    if (const int error = MakeStage(); error != 0) {
        theMessage.Format(error == EPERM
                ? "Unable to make the staging folder %s - someone else's folder took its "
                  "place"
                : "Unable to make the staging folder %s - %s",
            StagePath().GetText(), std::strerror(error));
        return false;
    }
    return true;
}

int CStagedInstall::MakeStage()
{
    const int target = itsTarget.Descriptor();
    // Left by a run that ended before it made its journal: nothing of worth.
    RemoveTree(target, kStageName);
    if (const int fault = FaultPoint("make staging folder"))
        return fault;
    if (mkdirat(target, kStageName, 0700) != 0)
        return errno;
    const int stage = openat(target, kStageName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (stage == -1)
        return errno;
    // Between the two calls the name may have been given to a folder that
    // someone else made; only a folder of ours that nobody else may write
    // is written into.
    struct stat info;
    int error = fstat(stage, &info) != 0 ? errno : 0;
    if (error == 0 && (info.st_uid != geteuid() || (info.st_mode & 022) != 0))
        error = EPERM;
    if (error == 0)
        error = itsStage.Adopt(stage);
    close(stage);
    return error;
}

Cstring CStagedInstall::StagePath() const
{
    return Cstring::Path(itsTargetPath, kStageName);
}

int CStagedInstall::MoveAside(const char* theFrom, const char* theTo)
{
    JournalRecord record;
    record.itsKind = JournalRecord::kRename;
    record.itsFrom = theFrom;
    record.itsTo = theTo;
    if (const int error = itsJournal.Append(record); error != 0)
        return error;
    const int error = Apply(record);
    bChanged = bChanged || error == 0;
    return error;
}

bool CStagedInstall::PlanFolder(
    const std::string& theFolder, std::vector<JournalRecord>& thePlan, Cstring& theMessage)
{
    const int folder = OpenBeneath(itsStage.Descriptor(), theFolder.c_str(), kFolderFlags);
    DIR* listing = folder == -1 ? nullptr : fdopendir(folder);
    if (!listing) {
        const int error = errno;
        if (folder != -1)
            close(folder);
        const std::string stageFolder
            = theFolder.empty() ? kStageName : std::string(kStageName) + "/" + theFolder;
        theMessage.Format(
            "Unable to read %s - %s", Join(itsTargetPath, stageFolder).c_str(), std::strerror(error));
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    std::sort(names.begin(), names.end());
    bool bPlanned = true;
    for (const std::string& name : names) {
        const std::string relative = theFolder.empty() ? name : theFolder + "/" + name;
        const std::string full = Join(itsTargetPath, relative);
        struct stat staged;
        struct stat existing;
        if (fstatat(dirfd(listing), name.c_str(), &staged, AT_SYMLINK_NOFOLLOW) != 0) {
            theMessage.Format("Unable to read %s - %s", full.c_str(), std::strerror(errno));
            bPlanned = false;
            break;
        }
        JournalRecord record;
        record.itsFrom = relative;
        const int error = itsTarget.Stat(relative.c_str(), existing);
        if (error == ENOENT) {
            record.itsKind = JournalRecord::kMove;
            record.itsInode = staged.st_ino;
            thePlan.push_back(record);
            continue;
        }
        if (error != 0)
            theMessage.Format("Unable to look at %s - %s", full.c_str(), std::strerror(error));
        else if (S_ISLNK(existing.st_mode))
            theMessage.Format("Destination passes through a symbolic link: %s", full.c_str());
        else if (S_ISDIR(staged.st_mode) != S_ISDIR(existing.st_mode))
            theMessage.Format(S_ISDIR(staged.st_mode) ? "A file is in the way of a folder of the update: %s"
                                                      : "A folder is in the way of a file of the update: %s",
                full.c_str());
        else if (S_ISDIR(staged.st_mode) && PlanFolder(relative, thePlan, theMessage))
            continue;
        else if (!S_ISDIR(staged.st_mode)) {
            record.itsKind = JournalRecord::kExchange;
            record.itsInode = staged.st_ino;
            thePlan.push_back(record);
            continue;
        }
        bPlanned = false;
        break;
    }
    closedir(listing);
    return bPlanned;
}

int CStagedInstall::Apply(const JournalRecord& theRecord)
{
    if (theRecord.itsKind == JournalRecord::kRename)
        return FaultyRename(itsTarget.Descriptor(), theRecord.itsFrom.c_str(), itsTarget.Descriptor(),
            theRecord.itsTo.c_str(), RENAME_NOREPLACE);
    ItemPlace place(itsTarget.Descriptor(), itsStage.Descriptor(), theRecord.itsFrom);
    if (place.itsError != 0)
        return place.itsError;
    return FaultyRename(place.itsStage, place.itsName.c_str(), place.itsTarget, place.itsName.c_str(),
        theRecord.itsKind == JournalRecord::kMove ? RENAME_NOREPLACE : RENAME_EXCHANGE);
}

bool CStagedInstall::PutInPlace(const std::function<bool()>& theStop, Cstring& theMessage)
{
    theMessage.Clear();
    std::vector<JournalRecord> plan;
    if (!PlanFolder("", plan, theMessage))
        return false;
    if (const int error = itsJournal.Append(plan); error != 0) {
        theMessage.Format(
            "Unable to write the journal in %s - %s", itsTargetPath.GetText(), std::strerror(error));
        return false;
    }
    for (const JournalRecord& record : plan) {
        if (theStop())
            return false;
        if (const int error = Apply(record); error != 0) {
            theMessage.Format("Unable to put %s in place - %s", Join(itsTargetPath, record.itsFrom).c_str(),
                std::strerror(error));
            return false;
        }
        bChanged = true;
    }
    return true;
}

bool CStagedInstall::Commit(Cstring& theMessage)
{
    // One flush of the whole file system, rather than one per file.
    const int fault = FaultPoint("syncfs");
    if (fault != 0 || syncfs(itsTarget.Descriptor()) != 0) {
        theMessage.Format("Unable to write the update to disk in %s - %s", itsTargetPath.GetText(),
            std::strerror(fault != 0 ? fault : errno));
        return false;
    }
    JournalRecord commit;
    commit.itsKind = JournalRecord::kCommit;
    if (const int error = itsJournal.Append(commit); error != 0) {
        theMessage.Format(
            "Unable to write the journal in %s - %s", itsTargetPath.GetText(), std::strerror(error));
        return false;
    }
    // The staging folder now holds only the files the update replaced.
    itsStage.Close();
    UndoJournal(itsTarget, itsTargetPath, itsJournal, itsLog);
    bStarted = false;
    return true;
}

bool CStagedInstall::RollBack()
{
    if (!bStarted)
        return true;
    const bool bUndone = UndoJournal(itsTarget, itsTargetPath, itsJournal, itsLog, itsStage.Descriptor());
    itsStage.Close();
    bStarted = !bUndone;
    bChanged = !bUndone && bChanged;
    return bUndone;
}
