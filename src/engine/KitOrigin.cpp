#include "engine/KitOrigin.h"

#include "engine/KitFiles.h"
#include "engine/KitVerify.h"
#include "engine/UpdateKit.h"

#include <fcntl.h>
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
    // What the run read: the archive through its descriptor, data.txt and
    // readme.txt as start-up read them. Help pages are opened by the
    // desktop's browser, by name: they are checked as they are now.
    std::string problem;
    const ArchiveDigest archive = itsArchiveDigest.valid() ? itsArchiveDigest.get() : ArchiveDigest();
    if (!archive.bRead)
        problem = "cannot read " + itsArchiveName;
    std::vector<KitFileDigest> read { { itsArchiveName, archive.itsSize, archive.itsDigest } };
    if (itsKit)
        for (const KitFileDigest* file : { &itsKit->itsDataFile, &itsKit->itsReadmeFile })
            if (!file->itsName.empty())
                read.push_back(*file);
    KitManifest found;
    if (archive.bRead && DigestKitFiles(itsKitFolder.c_str(), itsSigned.itsBuildDate, found, problem, read)
        && CompareKitFiles(itsSigned, found, problem) == KitCheck::kSigned)
        return true;
    theMessage.Format(
        "The update kit is not signed by the maker of this copy: %s. %s", problem.c_str(), kWhatToDo);
    return false;
}
