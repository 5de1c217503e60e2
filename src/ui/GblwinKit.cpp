// The window's kit: the pages it fills, and another kit opened from the
// window (File > Open Kit… or the kit page's button), a folder or an archive.

#include "engine/CopyCheck.h"
#include "engine/KitBuilds.h"
#include "engine/UnpackedKit.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/UserFolders.h"
#include "platform/ChooseFolder.h"
#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/SystemServices.h"

#include "ui/Gblwin.h"
#include <cstdlib>

namespace {

const int kCursorArrow = 128;
const int kTextKitPrompt = 10108;
const int kTextKitTypes = 10109;
const int kTextKitRefused = 10110; // %KIT% cannot be opened: %PROBLEM%
const int kTextNoArchive = 10111; // no update archive in %KIT%

// Every line end becomes carriage return plus line feed, whatever the file used.
void NormaliseLineEnds(Cstring& theText)
{
    theText.Replace("\r\n", "\n");
    theText.Replace("\r", "\n");
    theText.Replace("\n", "\r\n");
}

void RefuseKit(int theTextId, const Cstring& thePath, const char* theProblem = "")
{
    Cstring message(theTextId);
    message.Replace("%KIT%", thePath.GetText());
    message.Replace("%PROBLEM%", theProblem);
    MessageBox(message.GetText(), kMessageBoxOk);
}

} // namespace

void CGlobalWin::ShowKit()
{
    if (!itsKit.HasArchive()) {
        Cstring where = GetItemText(kItemNoKitFolder);
        where.Replace("%DIRNAME%", itsKit.itsFolder.GetText());
        SetItemText(kItemNoKitFolder, where.GetText());
        SelectTabPage(kPageKit);
    } else {
        SelectTabPage(kPageWelcome);
    }
    // Without an archive the name shows as a blank.
    SetItemText(kItemInstallName, itsKit.HasArchive() ? itsKit.itsInstallName.GetText() : " ");
    SetItemText(kItemInitBlank, " ");

    Cstring readme = itsKit.itsReadmeFile.itsName.empty() ? ReadTextFile(itsKit.Readme().GetText())
                                                          : Cstring(itsKit.itsReadmeText.c_str());
    if (readme.IsEmpty())
        readme = Cstring(10012);
    NormaliseLineEnds(readme);
    SetItemText(kItemReadme, readme.GetText());

    itsFolders.RemoveAll();
    // The copies may still be checked; then the list fills when they are.
    TakeCheckedCopies();
    CollectTargetFolders();
    RebuildFolderRows(); // none selected
    itsTargetFolder = "";
}

void CGlobalWin::OpenKitRequest()
{
    // Where a kit was received, most likely; the chooser would take a
    // folder that is not there for a file name.
    Cstring path(itsKit.HasArchive() ? itsKit.itsFolder : DocumentsFolder());
    if (!FileExists(path.GetText()))
        path = std::getenv("HOME") ? std::getenv("HOME") : "/";
    if (ChooseFileOrFolder(Cstring(kTextKitPrompt).GetText(), Cstring(kTextKitTypes).GetText(), path) == 1)
        TakeKit(path);
}

int CGlobalWin::TakeKit(const Cstring& thePath)
{
    std::unique_ptr<CUnpackedKit> unpacked;
    Cstring folder = thePath;
    folder.TrimTrailing('/');
    if (IsKitArchivePath(thePath.GetText())) {
        unpacked = std::make_unique<CUnpackedKit>();
        if (std::string problem; !unpacked->Unpack(thePath.GetText(), problem)) {
            RefuseKit(kTextKitRefused, thePath, problem.c_str());
            return 0;
        }
        folder = unpacked->KitFolder();
    }
    CUpdateKit kit = CUpdateKit::InFolder(folder.GetText());
    if (!kit.HasArchive()) {
        RefuseKit(kTextNoArchive, thePath);
        return 0;
    }
    kit.ReadFiles();
    // Start-up's check of the copies reads the kit before's valid builds,
    // which are about to go, and its copies are not this kit's.
    if (IsCheckingCopies()) {
        StartupCopyCheck().Stop();
        bNextWhenChecked = false;
        Host().SetCursor(kCursorArrow);
    }
    // The kit before goes, and its unpacked folder with it.
    itsKit = kit;
    itsUnpackedKit = std::move(unpacked);
    gAppBundlePath = itsKit.itsFolder;
    NameKitInTexts(itsKit);
    ReadKitBuilds(itsKit, nullptr);
    FindInstalledCopies(nullptr);
    ShowKit();
    return 1;
}
