#include "engine/KitOrigin.h"

#include "engine/KitFiles.h"
#include "engine/KitVerify.h"
#include "engine/UpdateKit.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

const char kWhatToDo[] = "Get the update kit again from the maker of Patchwell, or ask your administrator.";

} // namespace

CKitOrigin::State CKitOrigin::Check(const CUpdateKit* pKit, const char* theKitFolder,
    const char* theArchiveName, int theArchive, const char* theTarget, const TrustOptions& theOptions,
    const char* theInstalledDate, Cstring& theMessage)
{
    itsState = kRefused;
    itsKit = pKit;
    itsKitFolder = theKitFolder;
    itsArchiveName = theArchiveName;
    std::vector<Ed25519Key> keys;
    std::string problem;
    if (!TrustedKeysFor(theTarget, theOptions, keys, problem)) {
        theMessage.Format("Unable to tell whose signature the update needs: %s", problem.c_str());
        return kRefused;
    }
    if (keys.empty()) {
        if (theOptions.bRequireSignature) {
            theMessage = "A signed update kit is required, but neither this copy nor the administrator names "
                         "the key to check it with";
            return kRefused;
        }
        itsNote = kUncheckedOrigin;
        return itsState = kUnchecked;
    }
    if (ReadKitSignature(theKitFolder, keys, itsSigned, problem) != KitCheck::kSigned) {
        theMessage.Format(
            "The update kit is not signed by the maker of this copy: %s. %s", problem.c_str(), kWhatToDo);
        return kRefused;
    }
    if (!theOptions.bAllowDowngrade && theInstalledDate
        && IsOlderBuild(itsSigned.itsBuildDate.c_str(), theInstalledDate)) {
        theMessage.Format("The update kit brings the build of %s, older than the installed build of %s; use "
                          "--allow-downgrade to install it anyway",
            itsSigned.itsBuildDate.c_str(), theInstalledDate);
        return kRefused;
    }
    itsNote.Format(
        "The update kit is signed by the maker of this copy (build of %s)", itsSigned.itsBuildDate.c_str());
    // Its own descriptor: the run's is read at the same time, with pread too.
    const int archive = fcntl(theArchive, F_DUPFD_CLOEXEC, 0);
    itsArchiveDigest = std::async(std::launch::async, [archive] {
        ArchiveDigest digest;
        digest.bRead = archive != -1 && DigestFile(archive, digest.itsDigest, digest.itsSize);
        if (archive != -1)
            close(archive);
        return digest;
    });
    return itsState = kSigned;
}

bool CKitOrigin::Confirm(Cstring& theMessage)
{
    if (itsState != kSigned)
        return true;
    std::vector<std::string> names;
    std::string problem;
    KitManifest found;
    bool bRead = KitFilesRead(itsKitFolder.c_str(), names, problem);
    const ArchiveDigest archive = itsArchiveDigest.valid() ? itsArchiveDigest.get() : ArchiveDigest();
    for (const std::string& name : names) {
        if (!bRead)
            break;
        KitFileDigest file;
        file.itsName = name;
        if (name == itsArchiveName) {
            bRead = archive.bRead;
            file.itsDigest = archive.itsDigest;
            file.itsSize = archive.itsSize;
        } else if (itsKit && name == itsKit->itsDataFile.itsName) {
            file = itsKit->itsDataFile;
        } else if (itsKit && name == itsKit->itsReadmeFile.itsName) {
            file = itsKit->itsReadmeFile;
        } else {
            // Help pages are opened by the desktop's browser, by name: they
            // are checked as they are now.
            const std::string path = (std::filesystem::path(itsKitFolder) / name).string();
            const int page = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            bRead = page != -1 && DigestFile(page, file.itsDigest, file.itsSize);
            if (page != -1)
                close(page);
        }
        if (!bRead)
            problem = "cannot read " + name + ": " + std::strerror(errno);
        found.itsFiles.push_back(file);
    }
    if (bRead && CompareKitFiles(itsSigned, found, problem) == KitCheck::kSigned)
        return true;
    theMessage.Format(
        "The update kit is not signed by the maker of this copy: %s. %s", problem.c_str(), kWhatToDo);
    return false;
}
