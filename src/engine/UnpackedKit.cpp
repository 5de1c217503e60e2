#include "engine/UnpackedKit.h"

#include "engine/ConfinedFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

constexpr char kFolderPrefix[] = "patchwell-kit-";
// Between making its folder and locking it, an unpacking holds no lock.
constexpr time_t kAbandonedAfterSeconds = 60;

void OnStopSignal(int theSignal)
{
    gStopSignal = theSignal;
}

// Whether a handler of the program's own takes the signal.
bool IsHandled(const struct sigaction& theAction)
{
    return (theAction.sa_flags & SA_SIGINFO)
        || (theAction.sa_handler != SIG_DFL && theAction.sa_handler != SIG_IGN);
}

// The one entry of theFolder when it is a folder and alone there, else "".
std::string OnlyFolderIn(const char* theFolder)
{
    DIR* listing = opendir(theFolder);
    if (!listing)
        return "";
    std::string only;
    int count = 0;
    bool bFolder = false;
    while (const dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        ++count;
        only = entry->d_name;
        struct stat info;
        bFolder = fstatat(dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISDIR(info.st_mode);
    }
    closedir(listing);
    return count == 1 && bFolder ? only : "";
}

} // namespace

void RemoveAbandonedKits(const char* theRoot)
{
    DIR* listing = opendir(theRoot);
    if (!listing)
        return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(listing)) {
        if (std::strncmp(entry->d_name, kFolderPrefix, sizeof kFolderPrefix - 1) != 0)
            continue;
        // Another user's folder, or one not made as ours are, is not ours to judge.
        struct stat info;
        if (fstatat(dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != geteuid() || (info.st_mode & 077) != 0
            || now - info.st_mtime < kAbandonedAfterSeconds)
            continue;
        const int folder
            = openat(dirfd(listing), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder == -1)
            continue;
        if (flock(folder, LOCK_EX | LOCK_NB) == 0)
            RemoveTree(dirfd(listing), entry->d_name);
        close(folder);
    }
    closedir(listing);
}

bool IsKitArchivePath(const char* thePath)
{
    struct stat info;
    return stat(thePath, &info) != 0 || !S_ISDIR(info.st_mode);
}

bool CUnpackedKit::StopRequested()
{
    return gStopSignal != 0;
}

CUnpackedKit::~CUnpackedKit()
{
    Remove();
}

bool CUnpackedKit::Unpack(const char* theArchive, std::string& theProblem, const KitArchiveLimits& theLimits)
{
    Remove();
    // Not blocking on a FIFO in the archive's place: only a file is read.
    const int archive = open(theArchive, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info;
    if (archive == -1 || fstat(archive, &info) != 0 || !S_ISREG(info.st_mode)) {
        theProblem = archive == -1 ? std::strerror(errno) : "it is not a file";
        if (archive != -1)
            close(archive);
        return false;
    }
    const char* variable = std::getenv("TMPDIR");
    const char* root = variable && *variable ? variable : "/tmp";
    RemoveAbandonedKits(root);
    Cstring pattern = Cstring::Path(root, (std::string(kFolderPrefix) + "XXXXXX").c_str());
    if (!mkdtemp(pattern.GetBuffer())) {
        theProblem = std::string("no temporary folder can be made in ") + root + ": " + std::strerror(errno);
        close(archive);
        return false;
    }
    itsTemporary = pattern;

    // A signal the program was started to ignore (SIGINT in a background
    // job) stays ignored.
    struct sigaction stop = {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    for (auto [signal, old] : { std::pair { SIGINT, &itsOldInt }, std::pair { SIGTERM, &itsOldTerm } }) {
        sigaction(signal, nullptr, old);
        if (old->sa_handler != SIG_IGN)
            sigaction(signal, &stop, nullptr);
    }
    bHoldsSignals = true;

    itsHold = open(itsTemporary.GetText(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (itsHold != -1)
        flock(itsHold, LOCK_EX);
    bool bDone = itsHold != -1 && UnpackKitArchive(archive, itsHold, theLimits, &gStopSignal, theProblem);
    if (itsHold == -1)
        theProblem = std::string("the temporary folder cannot be opened: ") + std::strerror(errno);
    close(archive);
    if (!bDone) {
        Remove();
        return false;
    }
    const std::string top = OnlyFolderIn(itsTemporary.GetText());
    itsKitFolder = top.empty() ? itsTemporary : Cstring::Path(itsTemporary, top.c_str());

    // A host that takes the signals itself gets them back, with one that
    // came meanwhile.
    if (IsHandled(itsOldInt) || IsHandled(itsOldTerm))
        GiveSignalsBack();
    return true;
}

void CUnpackedKit::Remove()
{
    if (itsTemporary.IsNotEmpty()) {
        const std::string path = itsTemporary.GetText();
        const size_t slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? "."
            : slash == 0                                      ? "/"
                                                              : path.substr(0, slash);
        if (const int folder = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder != -1) {
            RemoveTree(folder, path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
            close(folder);
        }
        itsTemporary = "";
        itsKitFolder = "";
    }
    if (itsHold != -1) {
        close(itsHold);
        itsHold = -1;
    }
    if (bHoldsSignals)
        GiveSignalsBack();
}

void CUnpackedKit::GiveSignalsBack()
{
    sigaction(SIGINT, &itsOldInt, nullptr);
    sigaction(SIGTERM, &itsOldTerm, nullptr);
    bHoldsSignals = false;
    if (const int signal = gStopSignal) {
        gStopSignal = 0;
        raise(signal);
    }
}
