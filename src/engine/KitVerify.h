#pragma once

#include "engine/KitSignature.h"

#include <string>
#include <vector>

// The checks a signed kit passes, in the order they are made; the first that
// fails is the answer. A manifest's file lines are believed only once its
// signature holds, so no listed name is ever opened: the names compared are
// those KitFilesRead finds.
enum class KitCheck {
    kSigned, // every check passed
    kNoSignature, // the kit has no signature file: it is not signed
    kUnreadable, // the signature file or a file of the kit cannot be read
    kTooLarge, // the signature file is over kManifestLimit; it is not read
    kMalformed, // not a signed manifest this updater reads (cut short, another version, a file twice)
    kWrongKey, // no key given verifies the signature
    kFileList, // a listed file is missing, or a file read by the updater is not listed
    kFileContent, // a file's size or SHA-256 differs from the manifest's
};

// The signed manifest of theKitFolder: read, parsed and checked against
// theKeys (any one of them will do). theProblem names the file and the check.
KitCheck ReadKitSignature(const char* theKitFolder, const std::vector<Ed25519Key>& theKeys,
    KitManifest& theManifest, std::string& theProblem);

// Compares theFound (the kit's files as they are, e.g. from DigestKitFiles)
// with theSigned: the same names, each with the same size and SHA-256.
KitCheck CompareKitFiles(const KitManifest& theSigned, const KitManifest& theFound, std::string& theProblem);

// ReadKitSignature, then DigestKitFiles and CompareKitFiles: the whole check
// of a kit folder. theManifest is the signed one (its build date included)
// once the signature holds.
KitCheck VerifyKitFolder(const char* theKitFolder, const std::vector<Ed25519Key>& theKeys,
    KitManifest& theManifest, std::string& theProblem);
