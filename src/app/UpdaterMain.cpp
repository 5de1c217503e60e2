#include "app/UpdaterMain.h"

#include "engine/CopyCheck.h"
#include "engine/KitBuilds.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "foundation/ProgramFolders.h"
#include "identification/DigestCache.h"
#include "identification/ProgramData.h"
#include "identification/ProgramScanner.h"
#include "platform/Framework.h"
#include "platform/LanguageFiles.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "ui/Gblwin.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <unistd.h>

namespace {

const long kLengthScale = 100000;

// The digests of the copies' files from the last start, for this process.
CDigestCache gCopyDigests;

void WriteDiagnosticDump()
{
    FILE* stream = gDiagnostics;
    for (int i = 0; gValidProgramNames[i]; ++i)
        std::fprintf(stream, "%s[%d] = %s\n", "gValidProgramNames", i, gValidProgramNames[i]);
    std::fprintf(stream, "\nDumping ValidPrograms\n");
    DumpPrograms(ValidPrograms, stream);
    std::fprintf(stream, "\nDumping FoundPrograms\n");
    DumpPrograms(FoundPrograms, stream);
    std::fflush(stream);
    // The stream belongs to whoever opened it; start-up only stops writing to it.
    gDiagnostics = nullptr;
    ValidPrograms.itsStream = nullptr;
    FoundPrograms.itsStream = nullptr;
}

// A resource file that exists but does not open is dropped again.
CResFile* OpenOptionalResFile(const Cstring& thePath)
{
    if (!FileExists(thePath.GetText()))
        return nullptr;
    CResFile* file = new CResFile(thePath.GetText());
    if (!file->IsOpen()) {
        delete file;
        return nullptr;
    }
    return file;
}

Cstring WorkingFolder()
{
    Cstring folder;
    folder.Reserve(256);
    if (!getcwd(folder.GetBuffer(), static_cast<size_t>(folder.GetMaxLength()) + 1)) {
        // A working folder deeper than the room: ask again with all the room it needs.
        if (char* whole = getcwd(nullptr, 0)) {
            folder = whole;
            std::free(whole);
        } else {
            folder = "";
        }
    }
    return folder;
}

} // namespace

void CutBuildFolder(Cstring& theFolder)
{
    for (const char* marker : { "/build/Imported CodeWarrior Settings", "/build/Universal Build Settings" })
        if (char* at = std::strstr(theFolder.GetBuffer(), marker))
            *at = 0;
}

void ApplyFolderOverrides()
{
    if (MyFilesPath.IsNotEmpty()) {
        const char* percent = std::strchr(MyFilesPath.GetText(), '%');
        if (!percent) {
            const int attributes = GetPathAttributes(MyFilesPath.GetText());
            if (attributes != -1 && (attributes & kPathIsFolder) && IsUsablePath(MyFilesPath.GetText()))
                gMyProjectsPath = MyFilesPath;
        } else if (percent[1] == 's' || percent[1] == 'S') {
            gMyProjectsPath = Cstring::Path(BaseProgramPath, "My Projects");
        }
    }
    BaseProgramPath.TrimTrailing('/');
    gMyProjectsPath.TrimTrailing('/');
}

CUpdateKit UpdaterStartup(uint32_t theInstance, const StartupOptions& theOptions)
{
    std::srand(static_cast<unsigned>(std::time(nullptr))); // 1
    gFramework.itsInstance = theInstance; // 2
    gFramework.itsLengthScale = kLengthScale;
    SetSeparators('/', '\r'); // 3
    if (!gAppResFile) // 4
        gAppResFile = new CResFile();

    Cstring programFolder; // 5
    Cstring version;
    Cstring buildDate;
    GetProgramInfo(programFolder, version, buildDate);
    const Cstring ownFolder = programFolder; // where this program lies, whatever the kit
    gAppBundlePath = theOptions.itsBundlePath.IsNotEmpty() ? theOptions.itsBundlePath : programFolder;
    gAppBundlePath.TrimTrailing('/'); // a folder named on the command line may end in "/"
    if (theOptions.itsApplicationsFolder.IsNotEmpty())
        gApplicationsFolder = theOptions.itsApplicationsFolder;
    gDiagnostics = theOptions.itsDiagnostics;
    ValidPrograms.itsStream = gDiagnostics;
    FoundPrograms.itsStream = gDiagnostics;

    CUpdateKit kit = CUpdateKit::InFolder(gAppBundlePath.GetText()); // 6, 7
    kit.ReadFiles();
    NameKitInTexts(kit); // 8, 9
    if (!gGlobalWin) // 10
        gGlobalWin = new CGlobalWin(kit);

    // A folder without an archive is no kit (the installed updater's own
    // folder): the window asks for one instead of reporting its missing parts.
    if (kit.HasArchive() || theOptions.itsDataReport) // 11
        ReadKitBuilds(kit, theOptions.itsDataReport);
    // A run that was killed may have left a copy without its program: put it
    // back before looking for copies.
    RecoverInterruptedUpdates(gApplicationsFolder.GetText(), gRecoveryNotes);
    // Copies whose files did not change since the last start are not read again.
    gCopyDigests.Load(CDigestCache::UserCachePath().c_str());
    SetScanDigestCache(&gCopyDigests);
    // Without a kit no copy can match a valid build: the copies are looked
    // for once the window has one.
    const bool bKit = kit.HasArchive() || theOptions.itsDataReport;
    if (bKit && theOptions.bCheckCopiesBeside && !gDiagnostics) {
        // The window takes the copies when the check is done.
        StartupCopyCheck().Start(ApplicationsFolderScan(gApplicationsFolder, ValidPrograms),
            [] { Shell().PostFromAnyThread(gGlobalWin, kMsgCopiesChecked, 0, 0); });
    } else if (bKit) {
        FindInstalledCopies(theOptions.itsUnknownCopies); // 12
    }
    if (gDiagnostics)
        WriteDiagnosticDump();

    CreatePrintSession(); // 13
    InstallFillPatterns(); // 14
    SetProfileDefaults(gFramework.itsLengthScale); // 15
    GetProgramInfo(programFolder, version, buildDate); // 16
    if (theOptions.itsBundlePath.IsNotEmpty())
        programFolder = gAppBundlePath; // the program folder is the updater folder

    gCurrentFolder = WorkingFolder(); // 17
    if (gCurrentFolder.Length() > 0 && *gCurrentFolder.CharAt(-1) == '/')
        *gCurrentFolder.CharAt(-1) = 0;
    Cstring folderPart;
    Cstring namePart;
    Cstring::SplitPath(programFolder, folderPart, namePart);
    if (BaseProgramPath.IsEmpty())
        BaseProgramPath = folderPart;
    if (gCurrentFolder.IsEmpty())
        gCurrentFolder = folderPart;

    CutBuildFolder(BaseProgramPath); // 18
    gCurrentFolder = BaseProgramPath;

    LanguageResFileName = GetProfileString("LanguageResFileName"); // 19
    UseLanguageFile(LanguageResFileName.IsNotEmpty()
            ? Cstring::Path(BaseProgramPath, LanguageResFileName.GetText())
            : FindLanguageFile(LocaleVariables::FromEnvironment(), LanguageFolders(ownFolder)));
    gLibraryResFile = OpenOptionalResFile(Cstring::Path(BaseProgramPath, "pw95lib1.dll"));

    DescribeSystem(); // 20
    gFramework.itsDrawingText = Cstring(10072); // 21

    gMyProjectsPath = ChooseProjectsFolder(BaseProgramPath, DocumentsFolder()); // 22
    for (int i = 0; i < 3; ++i) {
        gFramework.itsFontNames[i] = "Geneva";
        gFramework.itsFontSizes[i] = 12;
    }

    LoadProfile(-1); // 23
    if (CDPath.IsEmpty())
        CDPath = OrigCDPath;
    if (gMyProjectsPath.IsEmpty())
        gMyProjectsPath = OrigMyProjectsPath;

    ApplyFolderOverrides(); // 24

    if (PrinterName.IsEmpty()) // 25
        PrinterName = DefaultPrinterName();
    if (PrinterName.IsNotEmpty())
        SelectPrinter(PrinterName);
    return kit;
}

void UpdaterRunWindow()
{
    gGlobalWin->DoModal(); // 26
    for (int i = 0; i < gRecoveryNotes.GetCount(); ++i)
        MessageBox(gRecoveryNotes.At(i).GetText(), kMessageBoxOk);
    CreateCursors(); // 27
    // 28: the window places itself when it is made and shows when it opens.
    RunApplicationEventLoop(); // 29
}

void UpdaterCleanup()
{
    // Quitting while the copies are checked: the check stops at its next file.
    StartupCopyCheck().Stop();
    SetScanDigestCache(nullptr);
    gFramework.itsDeferredObjects.DeleteAll(); // 1
    gFramework.itsOffscreen = nullptr; // 2
    delete gLibraryResFile; // 3
    gLibraryResFile = nullptr;
    delete gLanguageResFile;
    gLanguageResFile = nullptr;
    delete gAppResFile;
    gAppResFile = nullptr;
    ReleaseDrawingResources(); // 4
    DestroyPrintSession(); // 5
    for (Cstring& buffer : gFramework.itsWindowLocationBuffers) // 6
        buffer.Free();
    delete gGlobalWin; // 7
    gGlobalWin = nullptr;
    DeleteProfileEntries();
}

int UpdaterMain(uint32_t theInstance, const StartupOptions& theOptions)
{
    UpdaterStartup(theInstance, theOptions);
    UpdaterRunWindow();
    UpdaterCleanup(); // 30
    return 0;
}
