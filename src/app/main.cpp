// patchwell-updater: finds the installed copies of Patchwell, checks them
// against the known builds and applies the update archive beside it.

#include "app/Unattended.h"
#include "engine/UpdaterGlobals.h"
#include "engine/UpdaterMain.h"
#include "foundation/Profile.h"
#include "platform/Framework.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

const char kUsage[] = "Usage: patchwell-updater [OPTION]...\n"
                      "Update the installed copies of Patchwell from the update archive that lies\n"
                      "beside this program.\n"
                      "\n"
                      "  --bundle DIR          the updater folder holding the archive, data.txt and\n"
                      "                        readme.txt (default: the folder of this program)\n"
                      "  --applications DIR    where to look for installed copies (default: /Applications)\n"
                      "  --diagnostics FILE    write start-up diagnostics to FILE ('-' for standard error)\n"
                      "  --list                list the installed copies found and exit\n"
                      "  --apply FOLDER        update the copy in FOLDER without opening a window;\n"
                      "                        exit status 0 done, 1 failed, 2 refused\n"
                      "  --help                show this help and exit\n"
                      "  --version             show the version and exit\n";

int UsageError(const char* theFormat, const char* theArgument)
{
    std::fprintf(stderr, "patchwell-updater: ");
    std::fprintf(stderr, theFormat, theArgument);
    std::fprintf(stderr, "\nTry 'patchwell-updater --help' for more information.\n");
    return 2;
}

void JoinCommandLine(int argc, char** argv)
{
    gCommandLine = "";
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            gCommandLine += " ";
        gCommandLine += argv[i];
    }
}

// Where start-up has put things, for a person reading the diagnostics.
void WriteStartupSummary(FILE* theStream)
{
    std::fprintf(theStream, "\nUpdater folder: %s\n", gAppBundlePath.GetText());
    std::fprintf(theStream, "Update archive: %s\n", gZipPath.IsEmpty() ? "(none)" : gZipPath.GetText());
    std::fprintf(theStream, "Install name: %s\n", gInstallName.GetText());
    std::fprintf(theStream, "Key text: %d characters\n", gDataKeyText.Length());
    std::fprintf(theStream, "Applications folder: %s\n", gApplicationsFolder.GetText());
    std::fprintf(theStream, "Program folder: %s\n", BaseProgramPath.GetText());
    std::fprintf(theStream, "Working folder: %s\n", gCurrentFolder.GetText());
    std::fprintf(theStream, "Projects folder: %s\n", gMyProjectsPath.GetText());
    std::fflush(theStream);
}

// Without a window the wizard cannot be shown; tell the user what can be
// done instead of returning silently.
int ExplainWithoutWindow()
{
    std::fprintf(stderr,
        "patchwell-updater: this build cannot open its window; use --apply FOLDER to update\n"
        "one of the copies found, or --help for more.\n\n");
    return ListFoundCopies();
}

} // namespace

int main(int argc, char** argv)
{
    JoinCommandLine(argc, argv);
    StartupOptions options;
    const char* diagnosticsPath = nullptr;
    const char* applyFolder = nullptr;
    bool bList = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("patchwell-updater %s\n", PW_VERSION);
            return 0;
        }
        if (argument == "--list") {
            bList = true;
            continue;
        }
        if (argument == "--bundle" || argument == "--applications" || argument == "--diagnostics"
            || argument == "--apply") {
            if (!hasValue)
                return UsageError("option '%s' needs a folder or file", argv[i]);
            const char* value = argv[++i];
            if (argument == "--bundle")
                options.itsBundlePath = value;
            else if (argument == "--applications")
                options.itsApplicationsFolder = value;
            else if (argument == "--apply")
                applyFolder = value;
            else
                diagnosticsPath = value;
            continue;
        }
        return UsageError("unknown option '%s'", argv[i]);
    }

    FILE* diagnostics = nullptr;
    if (diagnosticsPath) {
        diagnostics = std::strcmp(diagnosticsPath, "-") == 0 ? stderr : std::fopen(diagnosticsPath, "w");
        if (!diagnostics) {
            std::fprintf(stderr, "patchwell-updater: cannot write diagnostics to '%s': %s\n", diagnosticsPath,
                std::strerror(errno));
            return 2;
        }
    }
    options.itsDiagnostics = diagnostics;

    UpdaterStartup(0, options);
    if (diagnostics) {
        WriteStartupSummary(diagnostics);
        if (diagnostics != stderr)
            std::fclose(diagnostics);
    }
    int status = 0;
    if (bList)
        status = ListFoundCopies();
    else if (applyFolder)
        status = ApplyUnattended(applyFolder);
    else if (HasWindowSystem())
        UpdaterRunWindow();
    else
        status = ExplainWithoutWindow();
    UpdaterCleanup();
    return status;
}
