#include "engine/KitOrigin.h"

#include "engine/EngineTexts.h"
#include "engine/KitFiles.h"
#include "engine/KitVerify.h"
#include "engine/UpdateKit.h"
#include "platform/TextFormat.h"

#include <fcntl.h>
#include <unistd.h>

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
        FormatOwnAndShown(theMessage, itsShownMessage, kTextUnknownSigner, problem.c_str());
        return kRefused;
    }
    if (keys.empty()) {
        if (theOptions.bRequireSignature) {
            FormatOwnAndShown(theMessage, itsShownMessage, kTextSignatureRequired);
            return kRefused;
        }
        FormatOwnAndShown(itsNote, itsShownNote, kTextUncheckedOrigin);
        return itsState = kUnchecked;
    }
    if (ReadKitSignature(theKitFolder, keys, itsSigned, problem) != KitCheck::kSigned) {
        FormatOwnAndShown(theMessage, itsShownMessage, kTextNotSignedByMaker, problem.c_str());
        return kRefused;
    }
    if (!theOptions.bAllowDowngrade && theInstalledDate
        && IsOlderBuild(itsSigned.itsBuildDate.c_str(), theInstalledDate)) {
        FormatOwnAndShown(
            theMessage, itsShownMessage, kTextOlderBuild, itsSigned.itsBuildDate.c_str(), theInstalledDate);
        return kRefused;
    }
    FormatOwnAndShown(itsNote, itsShownNote, kTextSignedByMaker, itsSigned.itsBuildDate.c_str());
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
    FormatOwnAndShown(theMessage, itsShownMessage, kTextNotSignedByMaker, problem.c_str());
    return false;
}
