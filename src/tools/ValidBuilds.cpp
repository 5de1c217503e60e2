#include "tools/ValidBuilds.h"
#include "tools/PackCommands.h"

#include "foundation/PathAttributes.h"
#include "identification/ProgramData.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramScanner.h"
#include "platform/FolderIterator.h"

#include <cstring>
#include <strings.h>

namespace {

// The entry's name as the updater's scan compares it: without ".app", letters
// and digits only ("Patchwell 5.app" gives "Patchwell5").
Cstring ReducedName(const Cstring& theName)
{
    Cstring base(theName);
    char* dot = std::strrchr(base.GetBuffer(), '.');
    if (dot && strcasecmp(dot, ".app") == 0)
        *dot = 0;
    return KeepAlnum(base.GetText());
}

bool IsProgramName(const Cstring& theName)
{
    const Cstring reduced = ReducedName(theName);
    for (const char* const* name = gValidProgramNames; *name; ++name)
        if (strcasecmp(reduced.GetText(), *name) == 0)
            return true;
    return false;
}

} // namespace

// The updater's scan without a valid list compares whole entry names, so it
// would never find a bundle such as "Patchwell 5.app"; the vendor needs the
// same names the updater looks for with its valid list, the reduced ones.
int CollectValidBuilds(CProgramList& theList, CScanBatch& theBatch, const char* theFolder)
{
    int count = 0;
    CFolderIterator folders(theFolder);
    while (folders.Next()) {
        if (!folders.IsFolder())
            continue;
        const Cstring folder = folders.GetPath();
        Cstring marker(folder);
        marker.Replace(" ", "");
        marker.MakeUpper();
        if (std::strstr(marker.GetText(), kCompanionMarker))
            continue;
        CFolderIterator entries(folder.GetText());
        while (entries.Next()) {
            if (entries.IsFolder() || !IsProgramName(entries.GetName()))
                continue;
            CProgram* program = new CProgram;
            theBatch.Begin(*program, entries.GetPath().GetText(), theList.itsStream);
            theList.Append(program);
            ++count;
        }
    }
    return count;
}

bool WriteValidBuilds(const char* theDataPath, int theCount, char** theFolders)
{
    CProgramList builds;
    CScanBatch batch;
    for (int i = 0; i < theCount; ++i) {
        const int attributes = GetPathAttributes(theFolders[i]);
        if (attributes == -1 || !(attributes & kPathIsFolder)) {
            std::fprintf(stderr, "patchwell-pack: '%s' is not a folder\n", theFolders[i]);
            return false;
        }
        if (CollectValidBuilds(builds, batch, theFolders[i]) == 0) {
            std::fprintf(
                stderr, "patchwell-pack: no copy of Patchwell found in the folders of '%s'\n", theFolders[i]);
            return false;
        }
    }
    batch.Finish();
    // The vendor's folders mean nothing on the user's machine, and the updater
    // never reads them: the records keep the folder field empty.
    Cstring summary;
    for (CProgram* program = builds.First(); program; program = CProgramList::Next(program)) {
        Cstring line;
        summary.Append(
            line.Format("Valid build: %s/%s, %s, %d parts\n", program->itsFolder.GetText(),
                    program->itsName.GetText(), program->itsDate.GetText(), program->itsParts.GetCount())
                .GetText());
        program->itsFolder = "";
    }
    Cstring reason;
    if (!WriteProgramData(builds, theDataPath, &reason)) {
        std::fprintf(stderr, "patchwell-pack: cannot write '%s': %s\n", theDataPath, reason.GetText());
        return false;
    }
    if (!PackQuiet())
        std::fputs(summary.GetText(), stderr);
    return true;
}
