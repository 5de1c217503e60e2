#include "platform/DesktopServices.h"

#include "platform/Host.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool ChangeDirectory(const char* thePath)
{
    return thePath && *thePath && chdir(thePath) == 0;
}

int MakeFileSpec(const char* theFolder, const char* theName, Cstring& theSpec)
{
    struct stat info;
    if (!theFolder || stat(theFolder, &info) != 0 || !S_ISDIR(info.st_mode))
        return -120;
    const Cstring path = Cstring::Path(theFolder, theName ? theName : "");
    if (!theName || !*theName || stat(path.GetText(), &info) != 0 || S_ISDIR(info.st_mode))
        return -43;
    theSpec = path;
    return 0;
}

bool LiesInside(const char* thePath, const char* theFolder)
{
    char path[PATH_MAX];
    char folder[PATH_MAX];
    if (!thePath || !theFolder || !realpath(thePath, path) || !realpath(theFolder, folder))
        return false;
    if (std::strcmp(folder, "/") == 0)
        return path[1] != 0;
    const size_t length = std::strlen(folder);
    return std::strncmp(path, folder, length) == 0 && path[length] == '/';
}

Cstring FileUrl(const char* thePath, const char* theAnchor)
{
    static const char kHex[] = "0123456789ABCDEF";
    Cstring url("file://");
    char encoded[4] = { '%', 0, 0, 0 };
    char plain[2] = { 0, 0 };
    for (const char* at = thePath ? thePath : ""; *at; ++at) {
        const unsigned char c = static_cast<unsigned char>(*at);
        if (std::strchr("-._~/", c) || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')
            || (c >= 'a' && c <= 'z')) {
            plain[0] = static_cast<char>(c);
            url += plain;
        } else {
            encoded[1] = kHex[c >> 4];
            encoded[2] = kHex[c & 0xF];
            url += encoded;
        }
    }
    if (theAnchor && *theAnchor) {
        url += "#";
        url += theAnchor;
    }
    return url;
}

int OpenWithCreator(const char* thePath)
{
    return Host().OpenDocument(FileUrl(thePath).GetText()) ? 0 : -43;
}

void LaunchBrowser(const char* theUrl)
{
    if (!theUrl || !*theUrl)
        return;
    if (theUrl[0] != '/') {
        Host().OpenDocument(theUrl);
        return;
    }
    // A "#" ends the path and starts the anchor, unless it belongs to the
    // name of the file itself.
    Cstring path(theUrl);
    const char* anchor = nullptr;
    struct stat info;
    if (char* hash = std::strrchr(path.GetBuffer(), '#'); hash && stat(theUrl, &info) != 0) {
        *hash = 0;
        anchor = theUrl + (hash - path.GetText()) + 1;
    }
    Host().OpenDocument(FileUrl(path.GetText(), anchor).GetText());
}
