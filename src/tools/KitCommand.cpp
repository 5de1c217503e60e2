#include "engine/KitArchive.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateNames.h"
#include "foundation/RegularFile.h"
#include "identification/Program.h"
#include "identification/ProgramScanner.h"
#include "platform/SystemServices.h"
#include "tools/ArchiveWriter.h"
#include "tools/EmbeddedFiles.h"
#include "tools/KitArchiveWriter.h"
#include "tools/KitSigning.h"
#include "tools/PackCommands.h"
#include "tools/ValidBuilds.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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

// The kit is made in a hidden folder beside its destination and renamed into
// place only when whole, so that a failure at any step leaves nothing behind.
class CKitFolder {
public:
    ~CKitFolder()
    {
        if (itsPath.IsNotEmpty()) {
            std::error_code ignored;
            std::filesystem::remove_all(itsPath.GetText(), ignored);
        }
    }

    bool Create(const std::filesystem::path& theDestination, Cstring& theError)
    {
        const std::filesystem::path parent = theDestination.parent_path().empty()
            ? std::filesystem::path(".")
            : theDestination.parent_path();
        // Appended piece by piece: GCC 12 misreads "." + name as an
        // overlapping copy and warns.
        std::string name(".");
        name += theDestination.filename().string();
        name += ".pwkit-XXXXXX";
        std::string pattern = (parent / name).string();
        if (!mkdtemp(pattern.data())) {
            theError = std::strerror(errno);
            return false;
        }
        itsPath = pattern.c_str();
        return true;
    }

    const Cstring& Path() const { return itsPath; }

    // The kit is made private; whoever it is handed to reads it.
    bool Publish(Cstring& theError)
    {
        if (chmod(itsPath.GetText(), 0755) == 0)
            return true;
        theError = std::strerror(errno);
        return false;
    }

    // Gives the kit its final name. A folder renamed onto an existing name
    // replaces only an empty folder, so nothing that appeared there meanwhile
    // can be lost.
    bool MoveTo(const char* theDestination, Cstring& theError)
    {
        if (std::rename(itsPath.GetText(), theDestination) != 0) {
            theError = std::strerror(errno);
            return false;
        }
        itsPath = "";
        return true;
    }

private:
    Cstring itsPath;
};

// Refuses a destination that holds anything: a kit's folder holds the kit only.
bool IsFreeDestination(const char* theFolder, Cstring& theError)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(theFolder, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return true;
    if (status.type() != std::filesystem::file_type::directory)
        theError = "it exists and is not a folder";
    else if (!std::filesystem::is_empty(theFolder, error) || error)
        theError = "it is not empty; name a new folder";
    return theError.IsEmpty();
}

// OUTDIR.pwkit for --archive, and the name of the kit's folder inside it.
void ArchiveNames(const char* theFolder, Cstring& theArchive, Cstring& theTopName)
{
    std::filesystem::path folder = std::filesystem::path(theFolder).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    theArchive = (folder.string() + kKitArchiveExtension).c_str();
    theTopName = folder.filename().c_str();
}

int MissingOption(const char* theOption)
{
    RefuseUsage("kit", "missing %s", theOption);
    return kPackBadUsage;
}

} // namespace

int RunKitCommand(int theCount, char** theArgs)
{
    using Takes = CCommandLine::Takes;
    CCommandLine line({ { "--data", Takes::kList }, { "--new", Takes::kValue }, { "--readme", Takes::kValue },
        { "--name", Takes::kValue }, { "--sign", Takes::kValue }, { "--archive" } });
    if (!ReadPackArguments("kit", line, theCount, theArgs, { { "OUTDIR", "the folder to make" } }))
        return kPackBadUsage;
    const char* outFolder = line.Operands()[0];
    std::vector<char*> dataFolders;
    for (const char* folder : line.Values("--data"))
        dataFolders.push_back(const_cast<char*>(folder));
    const char* newFolder = line.Value("--new");
    const char* readme = line.Value("--readme");
    const char* name = line.Value("--name") ? line.Value("--name") : "Patchwell Update";
    const char* keyFile = line.Value("--sign");
    const bool bArchive = line.Has("--archive");
    if (dataFolders.empty())
        return MissingOption("--data FOLDER..., the folders that hold the valid builds");
    if (!newFolder || !*newFolder)
        return MissingOption("--new FOLDER, the folder of the new build");
    if (!*name || std::strchr(name, '/')) {
        std::fprintf(stderr, "patchwell-pack kit: the name '%s' cannot name a file\n", name);
        return kPackBadUsage;
    }

    Cstring problem;
    const Cstring updater = UpdaterProgram();
    if (!FileExists(updater.GetText()))
        return Failed("cannot find the updater '%s' beside this program", updater.GetText());
    if (!IsFreeDestination(outFolder, problem))
        return Failed("cannot make the kit in '%s': %s", outFolder, problem.GetText());
    Cstring archive, topName;
    if (bArchive) {
        ArchiveNames(outFolder, archive, topName);
        if (topName.IsEmpty() || topName == "." || topName == "..")
            return Failed("cannot name an archive after '%s'%s", outFolder);
        if (std::error_code error; std::filesystem::symlink_status(archive.GetText(), error).type()
            != std::filesystem::file_type::not_found)
            return Failed("cannot make the archive '%s': it exists", archive.GetText());
    }
    if (readme) {
        int error = 0;
        FILE* file = OpenRegularFile(readme, "r", error);
        if (!file)
            return Failed("cannot read the readme '%s': %s", readme, RegularFileErrorText(error));
        std::fclose(file);
    }

    // The key is checked before anything is made: a kit meant to be signed
    // is never made unsigned.
    Ed25519Key secret;
    if (std::string keyProblem; keyFile && !ReadSecretKeyFile(keyFile, secret, keyProblem))
        return Failed("%s%s", keyProblem.c_str());

    CKitFolder kit;
    if (!kit.Create(outFolder, problem))
        return Failed("cannot make a folder beside '%s': %s", outFolder, problem.GetText());
    const Cstring dataPath = Cstring::Path(kit.Path(), "data.txt");
    if (!WriteValidBuilds(dataPath.GetText(), static_cast<int>(dataFolders.size()), dataFolders.data()))
        return kPackFailed;

    Cstring password;
    BuildDataKeyText(password);
    const Cstring zipName(Cstring(name), ".zip");
    const Cstring zipPath = Cstring::Path(kit.Path(), zipName.GetText());
    CArchiveWriter writer;
    if (!writer.Write(zipPath.GetText(), newFolder, "NewFiles/", password.GetText(), problem))
        return Failed("%s%s", problem.GetText());

    const Cstring readmePath = Cstring::Path(kit.Path(), "readme.txt");
    if (readme ? !CopyFile(readme, readmePath.GetText(), 0644, problem)
               : !WriteText(readmePath.GetText(), kDefaultReadme, problem))
        return Failed("cannot write the readme: %s%s", problem.GetText());

    if (!WriteEmbeddedFolder(
            Cstring::Path(kit.Path(), "Help").GetText(), kHelpPages, kHelpPagesCount, problem))
        return Failed("cannot write the help pages: %s%s", problem.GetText());
    if (!WriteEmbeddedFolder(
            Cstring::Path(kit.Path(), "languages").GetText(), kLanguageFiles, kLanguageFilesCount, problem))
        return Failed("cannot write the language files: %s%s", problem.GetText());

    if (!WriteLauncher(kit.Path().GetText(), name, problem))
        return Failed("cannot write the launcher: %s%s", problem.GetText());

    const Cstring updaterCopy = Cstring::Path(kit.Path(), "patchwell-updater");
    if (!CopyFile(updater.GetText(), updaterCopy.GetText(), 0755, problem))
        return Failed("cannot copy the updater: %s%s", problem.GetText());

    // Signed last, over the files as the kit holds them.
    KitManifest signedFiles;
    std::string signProblem;
    // The date of the build the archive brings, as the updater dates builds.
    CProgram newBuild;
    ScanFile(newBuild, Cstring::Path(newFolder, kBundleName).GetText(), nullptr);
    if (keyFile
        && !SignKitFolder(kit.Path().GetText(), secret, signedFiles, signProblem,
            newBuild.itsDate.IsEmpty() ? nullptr : newBuild.itsDate.GetText()))
        return Failed("cannot sign the kit: %s%s", signProblem.c_str());

    if (!kit.Publish(problem))
        return Failed("cannot open the kit to its users: %s%s", problem.GetText());
    // The archive is made from the finished kit, before either gets its name,
    // so that a failure leaves neither.
    if (bArchive && !WriteKitArchive(archive.GetText(), kit.Path().GetText(), topName.GetText(), problem))
        return Failed("cannot make the archive: %s%s", problem.GetText());
    if (!kit.MoveTo(outFolder, problem)) {
        if (bArchive)
            std::remove(archive.GetText());
        return Failed("cannot give the kit the name '%s': %s", outFolder, problem.GetText());
    }
    if (PackQuiet())
        return kPackDone;
    std::printf("Update kit ready in %s: patchwell-updater, start-updater, Start Update.desktop, %s, "
                "data.txt, readme.txt, Help, languages%s\n",
        outFolder, zipName.GetText(), keyFile ? ", signature.txt" : "");
    if (keyFile)
        std::printf("Signed with the key whose public key is %s\n", KeyText(PublicKeyOf(secret)).c_str());
    if (bArchive)
        std::printf("Packed as %s\n", archive.GetText());
    return kPackDone;
}
