#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The signature of an update kit, the file "signature.txt" in the kit's
// folder: a manifest of every file of the kit that the updater reads (its
// size and SHA-256), the date of the build it brings and a format version,
// signed with the vendor's Ed25519 key. The updater trusts a key because the
// installed copy (or the administrator) names it, never because a kit does.
//
//   Patchwell update kit manifest 1
//   build 2026/11/20 09:30:00
//   file 1234 <64 hex digits> Spring Update.zip
//   ...
//   signature <base64 of 64 bytes, over every line above>

constexpr char kSignatureFileName[] = "signature.txt";
// No honest manifest comes near this; a bigger file is refused unread.
constexpr size_t kManifestLimit = 1 << 20;

using Ed25519Key = std::array<uint8_t, 32>;
using Ed25519Signature = std::array<uint8_t, 64>;
using Sha256Digest = std::array<uint8_t, 32>;

struct KitFileDigest {
    std::string itsName; // relative to the kit's folder, "/" between folders
    uint64_t itsSize = 0;
    Sha256Digest itsDigest {};
};

struct KitManifest {
    std::string itsBuildDate;
    std::vector<KitFileDigest> itsFiles;

    const KitFileDigest* Find(const std::string& theName) const;
};

// The signed text of theManifest, without its signature line; false with
// theProblem when a name cannot be written (a line end in it).
bool FormatManifest(const KitManifest& theManifest, std::string& theText, std::string& theProblem);
// The signature file: theText and its signature line.
std::string SignedManifestText(const std::string& theText, const Ed25519Signature& theSignature);
// Splits a signature file into its manifest, the text that was signed and the
// signature; false with theProblem (which check failed, on which line).
bool ParseSignedManifest(const std::string& theFile, KitManifest& theManifest, std::string& theSigned,
    Ed25519Signature& theSignature, std::string& theProblem);

// Ed25519 as RFC 8032 defines it, through nettle.
Ed25519Key PublicKeyOf(const Ed25519Key& theSecret);
Ed25519Signature Sign(const Ed25519Key& theSecret, const std::string& theMessage);
bool Verify(const Ed25519Key& thePublic, const std::string& theMessage, const Ed25519Signature& theSignature);
// A new secret key from the system's random source; false when it has none.
bool MakeSecretKey(Ed25519Key& theSecret);

// Keys as text: one line of base64.
std::string KeyText(const Ed25519Key& theKey);
bool KeyFromText(const std::string& theText, Ed25519Key& theKey, std::string& theProblem);
// A secret key file: one line of base64, readable by its owner alone.
bool ReadSecretKeyFile(const char* thePath, Ed25519Key& theSecret, std::string& theProblem);
// Writes theSecret to a new file thePath (mode 0600, never over a file).
bool WriteSecretKeyFile(const char* thePath, const Ed25519Key& theSecret, std::string& theProblem);
// Public keys from a file, one a line; blank lines and "#" comments are
// skipped. False with theProblem (naming the file and the line).
bool ReadPublicKeyFile(const char* thePath, std::vector<Ed25519Key>& theKeys, std::string& theProblem);

// The SHA-256 and size of what the open file theFile holds, read from its
// start with pread (the file's offset is left alone); false with errno set.
bool DigestFile(int theFile, Sha256Digest& theDigest, uint64_t& theSize);
Sha256Digest DigestBytes(const std::string& theBytes);
std::string DigestText(const Sha256Digest& theDigest);
