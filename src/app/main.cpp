// patchwell-updater: finds the installed copies of Patchwell, checks them
// against the known builds and applies the update archive beside it.

#include "app/AppTexts.h"
#include "app/Unattended.h"
#include "app/UpdaterMain.h"
#include "engine/KitSignature.h"
#include "engine/UnpackedKit.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/CommandLine.h"
#include "foundation/Profile.h"
#include "identification/ProgramData.h"
#include "platform/DisplayProbe.h"
#include "platform/Framework.h"
#include "platform/Host.h"
#include "platform/LanguageFiles.h"
#include "platform/ProcessHeap.h"
#include "platform/Resources.h"
#include "platform/SystemServices.h"
#include "platform/TextFormat.h"
#include "qt/QtHost.h"
#include "ui/Gblwin.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

int UsageError(int theTextId, const char* theArgument = "")
{
    std::fprintf(stderr, "patchwell-updater: %s\n%s\n", FormatText(theTextId, theArgument).GetText(),
        TextOf(kTextTryHelp).GetText());
    return kExitUsage;
}

// A folder named on the command line that is not there would only be found
// missing later, under a message about something else.
int RefuseMissingFolder(const char* theOption, const Cstring& thePath)
{
    Cstring problem;
    if (thePath.IsEmpty() || !FolderProblem(thePath.GetText(), &problem))
        return kExitDone;
    std::fprintf(stderr, "patchwell-updater: %s\n",
        FormatText(kTextNamedFolderProblem, thePath.GetText(), theOption, problem.GetText()).GetText());
    return kExitRefused;
}

// A kit named as an archive is unpacked here, and from then on is a kit
// folder like any other: theKit names the unpacked folder afterwards.
int OpenNamedKit(const char* theOption, Cstring& theKit, CUnpackedKit& theUnpacked)
{
    if (theKit.IsEmpty() || !IsKitArchivePath(theKit.GetText()))
        return kExitDone;
    if (const char* problem = FolderProblem(theKit.GetText());
        problem && std::strcmp(problem, "does not exist") == 0)
        return RefuseMissingFolder(theOption, theKit);
    if (std::string problem; !theUnpacked.Unpack(theKit.GetText(), problem)) {
        std::fprintf(stderr, "patchwell-updater: %s\n",
            FormatText(kTextKitArchiveRefused, theKit.GetText(), problem.c_str()).GetText());
        return kExitRefused;
    }
    theKit = theUnpacked.KitFolder();
    return kExitDone;
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
void WriteStartupSummary(const CUpdateKit& theKit, FILE* theStream)
{
    std::fprintf(theStream, "\nUpdater folder: %s\n", theKit.itsFolder.GetText());
    std::fprintf(
        theStream, "Update archive: %s\n", theKit.HasArchive() ? theKit.itsArchive.GetText() : "(none)");
    std::fprintf(theStream, "Install name: %s\n", theKit.itsInstallName.GetText());
    std::fprintf(theStream, "Key text: %d characters\n", theKit.itsPassword.Length());
    std::fprintf(theStream, "Applications folder: %s\n", gApplicationsFolder.GetText());
    std::fprintf(theStream, "Program folder: %s\n", BaseProgramPath.GetText());
    std::fprintf(theStream, "Working folder: %s\n", gCurrentFolder.GetText());
    std::fprintf(theStream, "Projects folder: %s\n", gMyProjectsPath.GetText());
    std::fflush(theStream);
}

// Without a display the wizard cannot be shown; tell the user what can be
// done instead of returning silently. What to do depends on whether copies
// were found: "--apply one of the copies found" after "No copies" is no advice.
int ExplainWithoutWindow(DisplayReach theReach, const Cstring& theDisplay, const CUpdateKit& theKit)
{
    const char* display = theDisplay.GetText();
    const Cstring reason = theReach == DisplayReach::kUnreachable
        ? FormatText(kTextCannotOpenDisplay, display)
        : theReach == DisplayReach::kNoWaylandPlatform ? FormatText(kTextNoWaylandPlatform, display)
        : theReach == DisplayReach::kSilent ? FormatText(kTextDisplaySilent, display, kDisplayAnswerSeconds)
                                            : TextOf(kTextNoDisplay);
    std::fprintf(stderr, "patchwell-updater: %s", reason.GetText());
    // Without a kit no copy can be told to be a known build: none is listed.
    if (!theKit.HasArchive()) {
        std::fprintf(stderr, "%s\n", TextOf(kTextNoKitHint).GetText());
        return 1;
    }
    std::fprintf(stderr, "%s\n\n",
        TextOf(FoundPrograms.First() ? kTextWithoutWindowHint : kTextNoCopiesHint).GetText());
    ListFoundCopies();
    return 1;
}

// The command line is answered before start-up: its texts are opened first,
// in the language of the user's locale. Start-up chooses the language again
// once it knows the kit and its settings.
class CEarlyTexts {
public:
    CEarlyTexts()
    {
        gAppResFile = new CResFile();
        Cstring folder;
        Cstring version;
        Cstring date;
        GetProgramInfo(folder, version, date);
        UseLanguageFile(FindLanguageFile(LocaleVariables::FromEnvironment(), LanguageFolders(folder)));
    }
    // Clean-up has released them when start-up ran.
    ~CEarlyTexts()
    {
        UseLanguageFile(Cstring());
        delete gAppResFile;
        gAppResFile = nullptr;
    }
    CEarlyTexts(const CEarlyTexts&) = delete;
    CEarlyTexts& operator=(const CEarlyTexts&) = delete;
};

} // namespace

int main(int argc, char** argv)
{
    ShareOneHeapAmongThreads();
    JoinCommandLine(argc, argv);
    const CEarlyTexts texts;
    using Takes = CCommandLine::Takes;
    CCommandLine line({ { "--help", Takes::kNothing, "-h" }, { "--version" }, { "--list" }, { "--force" },
        { "--verbose" }, { "--quiet", Takes::kNothing, "-q" }, { "--require-signature" },
        { "--allow-downgrade" }, { "--json" }, { "--bundle", Takes::kValue },
        { "--applications", Takes::kValue }, { "--diagnostics", Takes::kValue }, { "--apply", Takes::kValue },
        { "--trusted-key", Takes::kValue } });
    if (!line.Read(argc - 1, argv + 1)) {
        const CCommandLine::Problem problem = line.GetProblem();
        return UsageError(problem == CCommandLine::Problem::kUnknownOption ? kTextUnknownOption
                : problem == CCommandLine::Problem::kNeedsValue            ? kTextOptionNeedsValue
                                                                           : kTextOptionTakesNoValue,
            line.ProblemArgument().c_str());
    }
    if (line.Has("--help")) {
        std::fputs(TextOf(kTextUsage).GetText(), stdout);
        return kExitDone;
    }
    if (line.Has("--version")) {
        std::printf("patchwell-updater %s\n", PW_VERSION);
        return kExitDone;
    }
    StartupOptions options;
    if (const char* bundle = line.Value("--bundle"))
        options.itsBundlePath = bundle;
    if (const char* applications = line.Value("--applications"))
        options.itsApplicationsFolder = applications;
    const char* diagnosticsPath = line.Value("--diagnostics");
    const char* applyFolder = line.Value("--apply");
    const bool bList = line.Has("--list");
    ApplyOptions applyOptions;
    applyOptions.bForce = line.Has("--force");
    applyOptions.bLogLines = line.Has("--verbose");
    applyOptions.bQuiet = line.Has("--quiet");
    applyOptions.bJson = line.Has("--json");
    applyOptions.itsTrust.bRequireSignature = line.Has("--require-signature");
    applyOptions.itsTrust.bAllowDowngrade = line.Has("--allow-downgrade");
    for (const char* keyFile : line.Values("--trusted-key")) {
        if (std::string problem; !ReadPublicKeyFile(keyFile, applyOptions.itsTrust.itsExtraKeys, problem)) {
            std::fprintf(stderr, "patchwell-updater: %s\n", problem.c_str());
            return kExitUsage;
        }
    }
    const std::vector<const char*>& operands = line.Operands();
    if (operands.size() > 1)
        return UsageError(kTextOneKitOnly, operands[1]);
    const char* kitArgument = operands.empty() ? nullptr : operands[0];
    if (kitArgument && options.itsBundlePath.IsNotEmpty())
        return UsageError(kTextKitNamedTwice);
    const char* kitOption = kitArgument ? "the command line" : "--bundle";
    if (kitArgument)
        options.itsBundlePath = kitArgument;
    if (bList && applyFolder)
        return UsageError(kTextListWithApply);
    if (applyOptions.bForce && !applyFolder)
        return UsageError(kTextForceWithoutApply);
    if (applyOptions.bLogLines && !applyFolder)
        return UsageError(kTextVerboseWithoutApply);
    if (applyOptions.bQuiet && !applyFolder)
        return UsageError(kTextQuietWithoutApply);
    if (applyOptions.bQuiet && applyOptions.bLogLines)
        return UsageError(kTextQuietWithVerbose);
    if (applyOptions.bJson && !bList && !applyFolder)
        return UsageError(kTextJsonWithoutListOrApply);
    // Whatever ends the program from here on, the unpacked kit goes with it.
    CUnpackedKit unpackedKit;
    if (const int status = OpenNamedKit(kitOption, options.itsBundlePath, unpackedKit); status != kExitDone)
        return status;
    for (const auto& [name, folder] : { std::pair { kitOption, options.itsBundlePath },
             { "--applications", options.itsApplicationsFolder } })
        if (const int status = RefuseMissingFolder(name, folder); status != kExitDone)
            return status;

    FILE* diagnostics = nullptr;
    if (diagnosticsPath) {
        diagnostics = std::strcmp(diagnosticsPath, "-") == 0 ? stderr : std::fopen(diagnosticsPath, "w");
        if (!diagnostics) {
            std::fprintf(stderr, "patchwell-updater: %s\n",
                FormatText(kTextCannotWriteDiagnostics, diagnosticsPath, std::strerror(errno)).GetText());
            return kExitUsage;
        }
    }
    options.itsDiagnostics = diagnostics;
    CProgramDataReport dataReport;
    CProgramList unknownCopies;
    const bool bConsole = bList || applyFolder;
    if (bConsole) {
        options.itsDataReport = &dataReport;
        options.itsUnknownCopies = &unknownCopies;
    }

    // The window host exists only when the wizard is to open, and is made
    // while the probe still holds its connection to the display.
    DisplayReach reach = DisplayReach::kNone;
    Cstring display;
    std::unique_ptr<CHost> windowHost;
    if (!bConsole) {
        const CDisplayProbe probe;
        reach = probe.Reach();
        display = probe.Display();
        if (reach == DisplayReach::kReachable && probe.WaylandOnly() && !HasWindowPlatform("wayland"))
            reach = DisplayReach::kNoWaylandPlatform;
        if (reach == DisplayReach::kReachable)
            windowHost = MakeWindowHost(argc, argv);
    }
    SetHost(windowHost.get());

    options.bCheckCopiesBeside = windowHost != nullptr;
    const CUpdateKit kit = UpdaterStartup(0, options);
    gGlobalWin->SetTrust(applyOptions.itsTrust);
    if (diagnostics) {
        WriteStartupSummary(kit, diagnostics);
        if (diagnostics != stderr)
            std::fclose(diagnostics);
    }
    int status = bConsole ? CheckUpdateKit(kit, dataReport, applyFolder, applyOptions.bJson) : kExitDone;
    // A stop asked for during start-up: nothing was changed, and the unpacked
    // kit's removal ends the program as the signal asked.
    if (CUnpackedKit::StopRequested())
        status = kExitFailed;
    if (status == kExitDone) {
        if (bList)
            status = ListFoundCopies(&unknownCopies, applyOptions.bJson ? &kit : nullptr);
        else if (applyFolder)
            status = ApplyUnattended(kit, applyFolder, applyOptions);
        else if (Host().HasWindows()) {
            UpdaterRunWindow();
            status = gGlobalWin->GetExitStatus();
        } else
            status = ExplainWithoutWindow(reach, display, kit);
    }
    unknownCopies.DeleteAll();
    UpdaterCleanup();
    SetHost(nullptr);
    return status;
}
