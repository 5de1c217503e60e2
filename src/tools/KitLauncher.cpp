#include "tools/EmbeddedFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

// A desktop entry's value is one line, and a backslash in it is an escape.
std::string DesktopValue(const char* theText)
{
    std::string value;
    for (const char* c = theText; *c; ++c) {
        if (*c == '\\')
            value += "\\\\";
        else
            value += static_cast<unsigned char>(*c) < ' ' ? ' ' : *c;
    }
    return value;
}

} // namespace

bool WriteLauncher(const char* theFolder, const char* theKitName, Cstring& theError)
{
    for (std::size_t i = 0; i < kLauncherFilesCount; ++i) {
        const CEmbeddedFile& launcher = kLauncherFiles[i];
        std::string text(reinterpret_cast<const char*>(launcher.itsBytes), launcher.itsSize);
        if (const std::size_t at = text.find("@NAME@"); at != std::string::npos)
            text.replace(at, 6, DesktopValue(theKitName));
        const Cstring path = Cstring::Path(theFolder, launcher.itsName);
        FILE* file = std::fopen(path.GetText(), "wb");
        const bool bWritten = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if ((file && std::fclose(file) != 0) || !bWritten || chmod(path.GetText(), 0755) != 0) {
            theError.Format("%s: %s", launcher.itsName, std::strerror(errno));
            return false;
        }
    }
    return true;
}
