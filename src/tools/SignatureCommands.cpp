#include "engine/KitVerify.h"
#include "tools/KitSigning.h"
#include "tools/PackCommands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// KITDIR --key VALUE, in either order, the value also after "=". False with
// a usage message on standard error.
bool ReadKitAndKey(const char* theCommand, const char* theUsage, int theCount, char** theArgs,
    const char*& theKit, const char*& theKey)
{
    theKit = theKey = nullptr;
    for (int i = 0; i < theCount; ++i) {
        const std::string_view argument(theArgs[i]);
        if (argument.starts_with("--key=")) {
            theKey = theArgs[i] + 6;
        } else if (argument == "--key" && i + 1 < theCount) {
            theKey = theArgs[++i];
        } else if (!argument.starts_with("-") && !theKit) {
            theKit = theArgs[i];
        } else {
            std::fprintf(stderr, "patchwell-pack %s: unexpected '%s'\n%s", theCommand, theArgs[i], theUsage);
            return false;
        }
    }
    if (theKit && *theKit && theKey && *theKey)
        return true;
    std::fprintf(stderr, "patchwell-pack %s: missing %s\n%s", theCommand,
        theKit && *theKit ? "--key" : "KITDIR, the kit's folder", theUsage);
    return false;
}

int Failed(const char* theCommand, const std::string& theProblem)
{
    std::fprintf(stderr, "patchwell-pack %s: %s\n", theCommand, theProblem.c_str());
    return kPackFailed;
}

} // namespace

int RunKeygenCommand(int theCount, char** theArgs)
{
    if (theCount != 1 || theArgs[0][0] == '-' || !*theArgs[0]) {
        std::fprintf(stderr, "usage: patchwell-pack keygen KEYFILE\n");
        return kPackBadUsage;
    }
    Ed25519Key secret;
    if (!MakeSecretKey(secret))
        return Failed("keygen", "the system gives no random numbers for a key");
    std::string problem;
    if (!WriteSecretKeyFile(theArgs[0], secret, problem))
        return Failed("keygen", problem);
    std::printf("%s\n", KeyText(PublicKeyOf(secret)).c_str());
    std::fprintf(stderr,
        "The secret key is in %s (mode 0600). Keep it secret: whoever holds it can sign kits that every\n"
        "copy naming its public key will install. The public key, above, goes into the builds and to\n"
        "'patchwell-pack verify --key'.\n",
        theArgs[0]);
    return kPackDone;
}

int RunSignCommand(int theCount, char** theArgs)
{
    const char kUsage[] = "usage: patchwell-pack sign KITDIR --key KEYFILE\n";
    const char *kit, *keyFile;
    if (!ReadKitAndKey("sign", kUsage, theCount, theArgs, kit, keyFile))
        return kPackBadUsage;
    Ed25519Key secret;
    KitManifest manifest;
    std::string problem;
    if (!ReadSecretKeyFile(keyFile, secret, problem) || !SignKitFolder(kit, secret, manifest, problem))
        return Failed("sign", problem);
    std::printf("Signed %s: %s of %zu files, build %s, public key %s\n", kit, kSignatureFileName,
        manifest.itsFiles.size(), manifest.itsBuildDate.c_str(), KeyText(PublicKeyOf(secret)).c_str());
    return kPackDone;
}

int RunVerifyCommand(int theCount, char** theArgs)
{
    const char kUsage[] = "usage: patchwell-pack verify KITDIR --key PUBLIC\n"
                          "  PUBLIC: a file of public keys, one a line, or one key in base64\n";
    const char *kit, *keyText;
    if (!ReadKitAndKey("verify", kUsage, theCount, theArgs, kit, keyText))
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
    std::printf("%s is signed: every file as signed, build %s (%zu files)\n", kit,
        manifest.itsBuildDate.c_str(), manifest.itsFiles.size());
    return kPackDone;
}
