#pragma once

#include "engine/KitSignature.h"
#include "engine/KitTrust.h"
#include "foundation/Cstring.h"

#include <future>
#include <string>

struct CUpdateKit;

// Whether an update kit comes from the maker of the copy it updates, for
// one run. Check reads the keys the copy trusts and the kit's signature
// before anything is written; the archive's SHA-256 is then taken through
// the descriptor the run reads the archive by, on a thread of its own while
// the run checks and unpacks it; Confirm compares every file as it was read
// with what was signed, before the first change to the installation.
class CKitOrigin {
public:
    enum State {
        kUnchecked, // no key is named anywhere: the kit's origin cannot be told
        kSigned, // signed by a trusted key; Confirm has the last word
        kRefused, // the message says why
    };

    // theKit, when given, holds data.txt and readme.txt as start-up read
    // them; theArchive is the open archive, whose name in the kit is
    // theArchiveName. theInstalledDate is the installed build's date, or empty.
    State Check(const CUpdateKit* pKit, const char* theKitFolder, const char* theArchiveName, int theArchive,
        const char* theTarget, const TrustOptions& theOptions, const char* theInstalledDate,
        Cstring& theMessage);
    // Whether the files read are the files signed (always, unless Check
    // said kSigned); false with theMessage. Waits for the archive's digest.
    bool Confirm(Cstring& theMessage);
    // The line the log gets about the kit's origin, and the same for the
    // person, in their language.
    const Cstring& Note() const { return itsNote; }
    const Cstring& ShownNote() const { return itsShownNote; }
    // The last refusal's message in the person's language; theMessage of
    // Check and Confirm is the log's.
    const Cstring& ShownMessage() const { return itsShownMessage; }

private:
    struct ArchiveDigest {
        bool bRead = false;
        Sha256Digest itsDigest {};
        uint64_t itsSize = 0;
    };

    State itsState = kUnchecked;
    const CUpdateKit* itsKit = nullptr;
    std::string itsKitFolder;
    std::string itsArchiveName;
    KitManifest itsSigned;
    std::future<ArchiveDigest> itsArchiveDigest;
    Cstring itsNote;
    Cstring itsShownNote;
    Cstring itsShownMessage;
};

// What the log says when no key is named for a copy (text
// kTextUncheckedOrigin of the application's resources).
constexpr char kUncheckedOrigin[] = "The origin of the update kit could not be checked: neither this copy "
                                    "nor the administrator names the key of its maker";
