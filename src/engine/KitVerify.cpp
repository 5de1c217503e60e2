#include "engine/KitVerify.h"

#include "engine/KitFiles.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <filesystem>

namespace {

const std::string kSignatureName = kSignatureFileName;

} // namespace

KitCheck ReadKitSignature(const char* theKitFolder, const std::vector<Ed25519Key>& theKeys,
    KitManifest& theManifest, std::string& theProblem)
{
    const std::string path = (std::filesystem::path(theKitFolder) / kSignatureName).string();
    std::string text;
    int error = 0;
    if (!ReadRegularFile(path.c_str(), kManifestLimit, text, error)) {
        if (error == ENOENT) {
            theProblem = "the kit has no " + kSignatureName + ": it is not signed";
            return KitCheck::kNoSignature;
        }
        if (error == EFBIG) {
            theProblem = kSignatureName + " is larger than a manifest may be ("
                + std::to_string(kManifestLimit) + " bytes); it was not read";
            return KitCheck::kTooLarge;
        }
        theProblem = "cannot read " + kSignatureName + ": " + RegularFileErrorText(error);
        return KitCheck::kUnreadable;
    }
    std::string signedText;
    Ed25519Signature signature;
    if (!ParseSignedManifest(text, theManifest, signedText, signature, theProblem)) {
        theProblem = kSignatureName + " is not a signed manifest: " + theProblem;
        return KitCheck::kMalformed;
    }
    for (const Ed25519Key& key : theKeys)
        if (Verify(key, signedText, signature))
            return KitCheck::kSigned;
    theManifest = KitManifest();
    theProblem = kSignatureName + " is not signed by "
        + (theKeys.size() == 1 ? std::string("the key given")
                               : "any of the " + std::to_string(theKeys.size()) + " keys given");
    return KitCheck::kWrongKey;
}

KitCheck CompareKitFiles(const KitManifest& theSigned, const KitManifest& theFound, std::string& theProblem)
{
    for (const KitFileDigest& listed : theSigned.itsFiles)
        if (!theFound.Find(listed.itsName)) {
            theProblem = listed.itsName + " is listed in " + kSignatureName + " but is not in the kit";
            return KitCheck::kFileList;
        }
    for (const KitFileDigest& found : theFound.itsFiles) {
        const KitFileDigest* listed = theSigned.Find(found.itsName);
        if (!listed) {
            theProblem = found.itsName + " is in the kit but not listed in " + kSignatureName;
            return KitCheck::kFileList;
        }
        if (listed->itsSize != found.itsSize) {
            theProblem = found.itsName + " is " + std::to_string(found.itsSize) + " bytes; " + kSignatureName
                + " signs " + std::to_string(listed->itsSize);
            return KitCheck::kFileContent;
        }
        if (listed->itsDigest != found.itsDigest) {
            theProblem = found.itsName + " differs from what " + kSignatureName + " signs (SHA-256 "
                + DigestText(found.itsDigest) + ", signed " + DigestText(listed->itsDigest) + ")";
            return KitCheck::kFileContent;
        }
    }
    return KitCheck::kSigned;
}

KitCheck VerifyKitFolder(const char* theKitFolder, const std::vector<Ed25519Key>& theKeys,
    KitManifest& theManifest, std::string& theProblem)
{
    const KitCheck check = ReadKitSignature(theKitFolder, theKeys, theManifest, theProblem);
    if (check != KitCheck::kSigned)
        return check;
    KitManifest found;
    if (!DigestKitFiles(theKitFolder, theManifest.itsBuildDate, found, theProblem))
        return KitCheck::kUnreadable;
    return CompareKitFiles(theManifest, found, theProblem);
}
