#include "engine/KitVerify.h"
#include "tools/KitSigning.h"
#include "tools/PackCommands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// KITDIR --key VALUE, in either order, the value also after "=". False with
// what is wrong on standard error.
bool ReadKitAndKey(const char* theCommand, const char* theKeyWhat, int theCount, char** theArgs,
    const char*& theKit, const char*& theKey)
{
    CCommandLine line({ { "--key", CCommandLine::Takes::kValue } });
    if (!ReadPackArguments(theCommand, line, theCount, theArgs, { { "KITDIR", "the kit's folder" } }))
        return false;
    theKit = line.Operands()[0];
    theKey = line.Value("--key");
    return theKey || RefuseUsage(theCommand, "missing --key, %s", theKeyWhat);
}

int Failed(const char* theCommand, const std::string& theProblem)
{
    std::fprintf(stderr, "patchwell-pack %s: %s\n", theCommand, theProblem.c_str());
    return kPackFailed;
}

} // namespace

int RunKeygenCommand(int theCount, char** theArgs)
{
    CCommandLine line({});
    if (!ReadPackArguments(
            "keygen", line, theCount, theArgs, { { "KEYFILE", "the new file for the secret key" } }))
        return kPackBadUsage;
    const char* keyFile = line.Operands()[0];
    Ed25519Key secret;
    if (!MakeSecretKey(secret))
        return Failed("keygen", "the system gives no random numbers for a key");
    std::string problem;
    if (!WriteSecretKeyFile(keyFile, secret, problem))
        return Failed("keygen", problem);
    std::printf("%s\n", KeyText(PublicKeyOf(secret)).c_str());
    if (!PackQuiet())
        std::fprintf(stderr,
            "The secret key is in %s (mode 0600). Keep it secret: whoever holds it can sign kits that every\n"
            "copy naming its public key will install. The public key, above, goes into the builds and to\n"
            "'patchwell-pack verify --key'.\n",
            keyFile);
    return kPackDone;
}

int RunSignCommand(int theCount, char** theArgs)
{
    const char *kit, *keyFile;
    if (!ReadKitAndKey("sign", "the file of the secret key", theCount, theArgs, kit, keyFile))
        return kPackBadUsage;
    Ed25519Key secret;
    KitManifest manifest;
    std::string problem;
    if (!ReadSecretKeyFile(keyFile, secret, problem) || !SignKitFolder(kit, secret, manifest, problem))
        return Failed("sign", problem);
    if (!PackQuiet())
        std::printf("Signed %s: %s of %zu files, build %s, public key %s\n", kit, kSignatureFileName,
            manifest.itsFiles.size(), manifest.itsBuildDate.c_str(), KeyText(PublicKeyOf(secret)).c_str());
    return kPackDone;
}

int RunVerifyCommand(int theCount, char** theArgs)
{
    const char *kit, *keyText;
    if (!ReadKitAndKey("verify", "a file of public keys, one a line, or one key in base64", theCount, theArgs,
            kit, keyText))
        return kPackBadUsage;
    std::vector<Ed25519Key> keys(1);
    std::string problem;
    if (!KeyFromText(keyText, keys[0], problem)) {
        keys.clear();
        if (!ReadPublicKeyFile(keyText, keys, problem))
            return Failed("verify", problem);
        if (keys.empty())
            return Failed("verify", std::string("the key file ") + keyText + " holds no key");
    }
    if (std::error_code error; !std::filesystem::is_directory(kit, error))
        return Failed(
            "verify", std::string("the kit's folder '") + kit + "' does not exist or is not a folder");
    KitManifest manifest;
    if (VerifyKitFolder(kit, keys, manifest, problem) != KitCheck::kSigned)
        return Failed("verify", std::string(kit) + ": " + problem);
    if (!PackQuiet())
        std::printf("%s is signed: every file as signed, build %s (%zu files)\n", kit,
            manifest.itsBuildDate.c_str(), manifest.itsFiles.size());
    return kPackDone;
}
