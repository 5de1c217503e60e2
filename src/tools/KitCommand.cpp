#include "engine/UpdateKit.h"
#include "platform/FolderIterator.h"
#include "platform/SystemServices.h"
#include "tools/ArchiveWriter.h"
#include "tools/PackCommands.h"
#include "tools/ValidBuilds.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kKitUsage[]
    = "usage: patchwell-pack kit OUTDIR --data FOLDER... --new FOLDER [--readme FILE] [--name NAME]\n";

const char kDefaultReadme[]
    = "This update brings your copy of Patchwell up to date.\n"
      "\n"
      "Choose the folder of your copy on the next page, then press Next to install it.\n"
      "Your present copy is kept beside the new one under a backup name.\n";

int Failed(const char* theFormat, const char* theFirst, const char* theSecond = "")
{
    std::fprintf(stderr, "patchwell-pack kit: ");
    std::fprintf(stderr, theFormat, theFirst, theSecond);
    std::fputc('\n', stderr);
    return kPackFailed;
}

// The updater that goes into the kit lies beside this program.
Cstring UpdaterProgram()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return Cstring();
    path[length] = 0;
    if (char* slash = std::strrchr(path, '/'))
        slash[1] = 0;
    return Cstring::Path(path, "patchwell-updater");
}

bool CopyFile(const char* theFrom, const char* theTo, mode_t theMode, Cstring& theError)
{
    std::error_code error;
    std::filesystem::copy_file(theFrom, theTo, std::filesystem::copy_options::overwrite_existing, error);
    if (!error && chmod(theTo, theMode) != 0)
        error.assign(errno, std::generic_category());
    if (error)
        theError = error.message().c_str();
    return !error;
}

bool WriteText(const char* thePath, const char* theText, Cstring& theError)
{
    FILE* file = std::fopen(thePath, "w");
    const bool bWritten = file && std::fputs(theText, file) >= 0;
    if (file && std::fclose(file) != 0)
        return theError = std::strerror(errno), false;
    if (!bWritten)
        theError = std::strerror(errno);
    return bWritten;
}

} // namespace

int RunKitCommand(int theCount, char** theArgs)
{
    if (theCount < 1 || theArgs[0][0] == '-') {
        std::fputs(kKitUsage, stderr);
        return kPackBadUsage;
    }
    const char* outFolder = theArgs[0];
    std::vector<char*> dataFolders;
    const char* newFolder = nullptr;
    const char* readme = nullptr;
    const char* name = "Patchwell Update";
    for (int i = 1; i < theCount; ++i) {
        const std::string_view option(theArgs[i]);
        if (option == "--data") {
            while (i + 1 < theCount && theArgs[i + 1][0] != '-')
                dataFolders.push_back(theArgs[++i]);
        } else if ((option == "--new" || option == "--readme" || option == "--name") && i + 1 < theCount) {
            const char* value = theArgs[++i];
            (option == "--new" ? newFolder : option == "--readme" ? readme : name) = value;
        } else {
            std::fprintf(stderr, "patchwell-pack kit: unexpected '%s'\n%s", theArgs[i], kKitUsage);
            return kPackBadUsage;
        }
    }
    if (dataFolders.empty() || !newFolder || !*name || std::strchr(name, '/')) {
        std::fputs(kKitUsage, stderr);
        return kPackBadUsage;
    }

    const Cstring updater = UpdaterProgram();
    if (!FileExists(updater.GetText()))
        return Failed("cannot find the updater '%s' beside this program", updater.GetText());
    std::error_code error;
    std::filesystem::create_directories(outFolder, error);
    if (error)
        return Failed("cannot make the folder '%s': %s", outFolder, error.message().c_str());

    // The updater takes the first archive of its folder: another one left
    // there would be installed in place of this one.
    const Cstring zipName(Cstring(name), ".zip");
    CFolderIterator existing(outFolder, "*.zip");
    while (existing.Next())
        if (!(existing.GetName() == zipName))
            return Failed("'%s' already holds the archive '%s'; use an empty folder", outFolder,
                existing.GetName().GetText());

    Cstring problem;
    const Cstring dataPath = Cstring::Path(outFolder, "data.txt");
    if (!WriteValidBuilds(dataPath.GetText(), static_cast<int>(dataFolders.size()), dataFolders.data()))
        return kPackFailed;

    Cstring password;
    BuildDataKeyText(password);
    const Cstring zipPath = Cstring::Path(outFolder, zipName.GetText());
    CArchiveWriter writer;
    if (!writer.Write(zipPath.GetText(), newFolder, "NewFiles/", password.GetText(), problem))
        return Failed("%s%s", problem.GetText());

    const Cstring readmePath = Cstring::Path(outFolder, "readme.txt");
    if (readme ? !CopyFile(readme, readmePath.GetText(), 0644, problem)
               : !WriteText(readmePath.GetText(), kDefaultReadme, problem))
        return Failed("cannot write the readme: %s%s", problem.GetText());

    const Cstring updaterCopy = Cstring::Path(outFolder, "patchwell-updater");
    if (!CopyFile(updater.GetText(), updaterCopy.GetText(), 0755, problem))
        return Failed("cannot copy the updater: %s%s", problem.GetText());

    std::printf("Update kit ready in %s: patchwell-updater, %s, data.txt, readme.txt\n", outFolder,
        zipName.GetText());
    return kPackDone;
}
