#include "engine/KitSignature.h"

#include "foundation/RegularFile.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <nettle/base64.h>
#include <nettle/eddsa.h>
#include <nettle/sha2.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const char kFirstLine[] = "Patchwell update kit manifest 1";
const char kFirstLineStart[] = "Patchwell update kit manifest ";

std::string Base64(const uint8_t* theBytes, size_t theCount)
{
    std::string text(BASE64_ENCODE_RAW_LENGTH(theCount), '\0');
    base64_encode_raw(text.data(), theCount, theBytes);
    return text;
}

// Exactly theSize bytes from strict base64 (padding included, nothing else).
bool FromBase64(const std::string& theText, uint8_t* pOut, size_t theSize)
{
    if (theText.size() != BASE64_ENCODE_RAW_LENGTH(theSize))
        return false;
    base64_decode_ctx context;
    base64_decode_init(&context);
    std::vector<uint8_t> bytes(BASE64_DECODE_LENGTH(theText.size()));
    size_t count = bytes.size();
    if (!base64_decode_update(&context, &count, bytes.data(), theText.size(), theText.data())
        || !base64_decode_final(&context) || count != theSize)
        return false;
    std::memcpy(pOut, bytes.data(), theSize);
    return true;
}

bool FromHex(const std::string& theText, Sha256Digest& theDigest)
{
    if (theText.size() != 2 * theDigest.size())
        return false;
    for (size_t i = 0; i < theDigest.size(); ++i) {
        unsigned value = 0;
        for (const char c : { theText[2 * i], theText[2 * i + 1] }) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        theDigest[i] = static_cast<uint8_t>(value);
    }
    return true;
}

std::string Trimmed(const std::string& theLine)
{
    const size_t end = theLine.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : theLine.substr(0, end + 1);
}

} // namespace

const KitFileDigest* KitManifest::Find(const std::string& theName) const
{
    for (const KitFileDigest& file : itsFiles)
        if (file.itsName == theName)
            return &file;
    return nullptr;
}

bool FormatManifest(const KitManifest& theManifest, std::string& theText, std::string& theProblem)
{
    theText = std::string(kFirstLine) + "\n";
    if (theManifest.itsBuildDate.find_first_of("\r\n") != std::string::npos) {
        theProblem = "the build's date holds a line end";
        return false;
    }
    theText += "build " + theManifest.itsBuildDate + "\n";
    for (const KitFileDigest& file : theManifest.itsFiles) {
        if (file.itsName.empty() || file.itsName.find_first_of("\r\n") != std::string::npos) {
            theProblem = "the name '" + file.itsName + "' cannot be written in a manifest";
            return false;
        }
        theText += "file " + std::to_string(file.itsSize) + " " + DigestText(file.itsDigest) + " "
            + file.itsName + "\n";
    }
    return true;
}

std::string SignedManifestText(const std::string& theText, const Ed25519Signature& theSignature)
{
    return theText + "signature " + Base64(theSignature.data(), theSignature.size()) + "\n";
}

bool ParseSignedManifest(const std::string& theFile, KitManifest& theManifest, std::string& theSigned,
    Ed25519Signature& theSignature, std::string& theProblem)
{
    theManifest = KitManifest();
    const size_t signatureAt = theFile.rfind("\nsignature ");
    if (theFile.compare(0, std::strlen(kFirstLineStart), kFirstLineStart) != 0) {
        theProblem
            = "it is not an update kit manifest (its first line is not \"" + std::string(kFirstLine) + "\")";
        return false;
    }
    const std::string first = theFile.substr(0, theFile.find('\n'));
    if (Trimmed(first) != kFirstLine) {
        theProblem = "it is of format version " + first.substr(std::strlen(kFirstLineStart))
            + "; this updater reads version 1";
        return false;
    }
    if (signatureAt == std::string::npos) {
        theProblem = "it has no signature line (the file is cut short)";
        return false;
    }
    theSigned = theFile.substr(0, signatureAt + 1);
    const std::string signatureLine = Trimmed(theFile.substr(signatureAt + 1));
    if (signatureLine.find('\n') != std::string::npos) {
        theProblem = "lines follow its signature line";
        return false;
    }
    if (!FromBase64(
            signatureLine.substr(std::strlen("signature ")), theSignature.data(), theSignature.size())) {
        theProblem = "its signature line does not hold 64 bytes of base64";
        return false;
    }
    int lineNumber = 1;
    bool bDated = false;
    for (size_t start = theSigned.find('\n') + 1; start < theSigned.size();) {
        const size_t end = theSigned.find('\n', start);
        const std::string line = theSigned.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber);
        if (line.compare(0, 6, "build ") == 0 && !bDated) {
            theManifest.itsBuildDate = Trimmed(line.substr(6));
            bDated = true;
            continue;
        }
        KitFileDigest file;
        char hex[65] = {};
        int consumed = 0;
        if (line.compare(0, 5, "file ") != 0
            || std::sscanf(line.c_str(), "file %" SCNu64 " %64[0-9a-f] %n", &file.itsSize, hex, &consumed)
                != 2
            || consumed == 0 || !FromHex(hex, file.itsDigest)) {
            theProblem = where + " is neither the build's date nor a file with its size and SHA-256";
            return false;
        }
        file.itsName = line.substr(static_cast<size_t>(consumed));
        if (file.itsName.empty()) {
            theProblem = where + " names no file";
            return false;
        }
        if (theManifest.Find(file.itsName)) {
            theProblem = "it lists " + file.itsName + " twice";
            return false;
        }
        theManifest.itsFiles.push_back(file);
    }
    if (!bDated) {
        theProblem = "it gives no build date";
        return false;
    }
    return true;
}

Ed25519Key PublicKeyOf(const Ed25519Key& theSecret)
{
    Ed25519Key publicKey;
    ed25519_sha512_public_key(publicKey.data(), theSecret.data());
    return publicKey;
}

Ed25519Signature Sign(const Ed25519Key& theSecret, const std::string& theMessage)
{
    const Ed25519Key publicKey = PublicKeyOf(theSecret);
    Ed25519Signature signature;
    ed25519_sha512_sign(publicKey.data(), theSecret.data(), theMessage.size(),
        reinterpret_cast<const uint8_t*>(theMessage.data()), signature.data());
    return signature;
}

bool Verify(const Ed25519Key& thePublic, const std::string& theMessage, const Ed25519Signature& theSignature)
{
    return ed25519_sha512_verify(thePublic.data(), theMessage.size(),
               reinterpret_cast<const uint8_t*>(theMessage.data()), theSignature.data())
        == 1;
}

bool MakeSecretKey(Ed25519Key& theSecret)
{
    return getrandom(theSecret.data(), theSecret.size(), 0) == static_cast<ssize_t>(theSecret.size());
}

std::string KeyText(const Ed25519Key& theKey)
{
    return Base64(theKey.data(), theKey.size());
}

bool KeyFromText(const std::string& theText, Ed25519Key& theKey, std::string& theProblem)
{
    const std::string text = Trimmed(theText);
    if (FromBase64(text, theKey.data(), theKey.size()))
        return true;
    // Built in a string of its own: GCC 12 misreads a short literal copied
    // into the caller's string as an overlapping copy and warns.
    std::string problem(1, '\'');
    problem.append(text, 0, 60);
    problem += "' is not an Ed25519 key (44 characters of base64 for 32 bytes)";
    theProblem = std::move(problem);
    return false;
}

bool ReadSecretKeyFile(const char* thePath, Ed25519Key& theSecret, std::string& theProblem)
{
    std::string text;
    int error = 0;
    if (!ReadRegularFile(thePath, 4096, text, error)) {
        theProblem = std::string("cannot read the key file ") + thePath + ": " + RegularFileErrorText(error);
        return false;
    }
    struct stat info;
    if (stat(thePath, &info) == 0 && (info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        theProblem = std::string("the key file ") + thePath + " may be read by others (mode " + mode
            + "); a secret key must have mode 0600";
        return false;
    }
    // The problem of KeyFromText quotes the text: not a secret's.
    if (std::string ignored; !KeyFromText(text, theSecret, ignored)) {
        theProblem = std::string("the key file ") + thePath
            + " does not hold a secret key: it is not one line of 44 characters of base64 for 32 bytes";
        return false;
    }
    return true;
}

bool WriteSecretKeyFile(const char* thePath, const Ed25519Key& theSecret, std::string& theProblem)
{
    const int file = open(thePath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file == -1) {
        theProblem = std::string("cannot make the key file ") + thePath + ": " + std::strerror(errno);
        return false;
    }
    const std::string text = KeyText(theSecret) + "\n";
    const bool bWritten
        = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(file) == 0;
    const int error = errno;
    close(file);
    if (!bWritten) {
        unlink(thePath);
        theProblem = std::string("cannot write the key file ") + thePath + ": " + std::strerror(error);
    }
    return bWritten;
}

bool ReadPublicKeyFile(const char* thePath, std::vector<Ed25519Key>& theKeys, std::string& theProblem)
{
    std::string text;
    int error = 0;
    if (!ReadRegularFile(thePath, 1 << 16, text, error)) {
        theProblem = std::string("cannot read the key file ") + thePath + ": " + RegularFileErrorText(error);
        return false;
    }
    int lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        Ed25519Key key;
        std::string problem;
        if (!KeyFromText(line.substr(first), key, problem)) {
            theProblem = std::string(thePath) + ", line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        theKeys.push_back(key);
    }
    return true;
}

bool DigestFile(int theFile, Sha256Digest& theDigest, uint64_t& theSize)
{
    sha256_ctx context;
    sha256_init(&context);
    std::vector<uint8_t> block(1 << 17);
    theSize = 0;
    for (;;) {
        const ssize_t count = pread(theFile, block.data(), block.size(), static_cast<off_t>(theSize));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        sha256_update(&context, static_cast<size_t>(count), block.data());
        theSize += static_cast<uint64_t>(count);
    }
    sha256_digest(&context, theDigest.size(), theDigest.data());
    return true;
}

Sha256Digest DigestBytes(const std::string& theBytes)
{
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, theBytes.size(), reinterpret_cast<const uint8_t*>(theBytes.data()));
    Sha256Digest digest;
    sha256_digest(&context, digest.size(), digest.data());
    return digest;
}

std::string DigestText(const Sha256Digest& theDigest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : theDigest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}
