#include "engine/KitTrust.h"

#include "engine/ConfinedFolder.h"
#include "engine/UpdateNames.h"
#include "foundation/UserFolders.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kKeyName[] = "<key>PWUpdateSigningKey</key>";
constexpr size_t kInfoListLimit = 1 << 20;

// The Info.plist of the copy's bundle, read beneath the copy's folder
// without following a link; empty when there is none.
bool ReadInfoList(const char* theTarget, std::string& theText, std::string& theProblem)
{
    CConfinedFolder target;
    if (target.Open(theTarget) != 0)
        return true; // the run says so itself
    const std::string name = std::string(kBundleName) + "/Contents/Info.plist";
    const int file = target.OpenFile(name.c_str(), O_RDONLY | O_NONBLOCK);
    if (file == -1) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true; // a copy without a bundle names no key
        theProblem = "cannot read " + std::string(theTarget) + "/" + name + ": " + std::strerror(errno);
        return false;
    }
    struct stat info;
    const bool bFits = fstat(file, &info) == 0 && S_ISREG(info.st_mode)
        && static_cast<size_t>(info.st_size) <= kInfoListLimit;
    if (bFits) {
        theText.resize(static_cast<size_t>(info.st_size));
        const ssize_t count = pread(file, theText.data(), theText.size(), 0);
        theText.resize(count > 0 ? static_cast<size_t>(count) : 0);
    }
    close(file);
    if (!bFits)
        theProblem = std::string(theTarget) + "/" + name + " is not a regular file of at most 1 MiB";
    return bFits;
}

std::array<int, 6> DateParts(const char* theDate)
{
    std::array<int, 6> parts {};
    if (!theDate
        || std::sscanf(
               theDate, "%d/%d/%d %d:%d:%d", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5])
            != 6)
        parts.fill(-1);
    return parts;
}

} // namespace

bool KeysInInfoList(const std::string& theText, std::vector<Ed25519Key>& theKeys, std::string& theProblem)
{
    const size_t key = theText.find(kKeyName);
    if (key == std::string::npos)
        return true;
    const size_t start = theText.find("<string>", key);
    const size_t end = start == std::string::npos ? start : theText.find("</string>", start);
    if (end == std::string::npos) {
        theProblem = "its PWUpdateSigningKey has no <string> value";
        return false;
    }
    const std::string value = theText.substr(start + 8, end - start - 8);
    for (size_t at = 0; (at = value.find_first_not_of(" \t\r\n", at)) != std::string::npos;) {
        const size_t stop = value.find_first_of(" \t\r\n", at);
        Ed25519Key parsed;
        if (!KeyFromText(value.substr(at, stop - at), parsed, theProblem))
            return false;
        theKeys.push_back(parsed);
        at = stop;
    }
    return true;
}

bool TrustedKeysFor(const char* theTarget, const TrustOptions& theOptions, std::vector<Ed25519Key>& theKeys,
    std::string& theProblem)
{
    theKeys.clear();
    std::string info;
    if (!ReadInfoList(theTarget, info, theProblem))
        return false;
    if (!KeysInInfoList(info, theKeys, theProblem)) {
        theProblem = std::string("the copy's ") + kBundleName + "/Contents/Info.plist: " + theProblem;
        return false;
    }
    const Cstring userFile = Cstring::Path(PreferencesFolder(), kTrustedKeysName);
    for (const char* path : { kSystemTrustedKeys, userFile.GetText() }) {
        struct stat file;
        if (stat(path, &file) != 0 && errno == ENOENT)
            continue;
        if (!ReadPublicKeyFile(path, theKeys, theProblem))
            return false;
    }
    theKeys.insert(theKeys.end(), theOptions.itsExtraKeys.begin(), theOptions.itsExtraKeys.end());
    return true;
}

bool IsOlderBuild(const char* theNew, const char* theInstalled)
{
    const std::array<int, 6> fresh = DateParts(theNew);
    const std::array<int, 6> installed = DateParts(theInstalled);
    return fresh[0] >= 0 && installed[0] >= 0 && fresh < installed;
}
