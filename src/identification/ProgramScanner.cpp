#include "identification/ProgramScanner.h"

#include "identification/BundleFiles.h"
#include "identification/PartDigests.h"
#include "identification/ProgramMatch.h"
#include "platform/FolderIterator.h"
#include "platform/SystemServices.h"

#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

const char* const gValidProgramNames[]
    = { "Patchwell", "Patchwell5", "Patchwell5PPC", "PatchwellPPC", nullptr };
const char kCompanionMarker[] = "BEVELCOMPANION";

namespace {

const char kBundleEnding[] = ".app";

// theName without a last ".app" ending of any case.
Cstring WithoutBundleEnding(const char* theName)
{
    Cstring base(theName);
    char* dot = std::strrchr(base.GetBuffer(), '.');
    if (dot && strcasecmp(dot, kBundleEnding) == 0)
        *dot = 0;
    return base;
}

// Sizes add up without wrapping: a part count beyond 2 GiB is not supported.
void AddSize(CProgram& theProgram, int32_t theSize)
{
    const int64_t sum = static_cast<int64_t>(theProgram.itsSize) + theSize;
    theProgram.itsSize = sum > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sum);
}

void ScanBundle(CProgram& theProgram, const char* thePath, const Cstring& theBase, FILE* pTrace)
{
    TraceTo(pTrace, "Processing .app program: %s\n", thePath);
    CStringArray files;
    CollectFiles(files, thePath);
    std::vector<PartDigest> digests;
    DigestFiles(files, digests);
    const size_t pathLength = std::strlen(thePath);
    for (int i = 0; i < files.GetCount(); ++i) {
        const char* file = files.At(i).GetText();
        TraceTo(pTrace, "Processing program part: %s\n", file);
        if (EndsWithNoCase(file, kBundleInfoFile))
            theProgram.itsExecutable = GetBundleExecutable(file);
        AddSize(theProgram, digests[i].itsSize);
        const char* partName = StartsWithNoCase(file, thePath) ? file + pathLength + 1 : file;
        theProgram.AddPart(new CProgramPart(&theProgram, partName, digests[i].itsSize, digests[i].itsText));
    }
    if (theProgram.itsExecutable.IsEmpty())
        theProgram.itsExecutable = theBase;
}

void ScanOldStyle(CProgram& theProgram, const char* thePath, FILE* pTrace)
{
    TraceTo(pTrace, "Processing old style program: %s\n", thePath);
    char digest[kDigestTextRoom] = {};
    int32_t size = DigestFile(thePath, digest);
    theProgram.AddPart(new CProgramPart(&theProgram, "<DF>", size, digest));
    AddSize(theProgram, size);
    char forkDigest[kDigestTextRoom] = {};
    size = DigestResourceFork(thePath, forkDigest);
    theProgram.AddPart(new CProgramPart(&theProgram, "<RF>", size, forkDigest));
    AddSize(theProgram, size);
}

bool IsCompanionFolder(const char* theFolder)
{
    Cstring folder(theFolder);
    folder.Replace(" ", "");
    folder.MakeUpper();
    return std::strstr(folder.GetText(), kCompanionMarker) != nullptr;
}

} // namespace

int ScanDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown)
{
    const std::string stars(60, '*');
    TraceTo(theList.itsStream, "\n%s\n%s %s\n%s\n", stars.c_str(),
        "Scanning directory:", theFolder ? theFolder : "", stars.c_str());
    if (!theFolder || !*theFolder)
        return 0;
    int count = 0;
    CFolderIterator folder(theFolder);
    while (folder.Next())
        if (folder.IsFolder())
            count += ProcessDirectory(theList, folder.GetPath().GetText(), theNames, theValid, pUnknown);
    return count;
}

int ProcessDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown)
{
    if (!theFolder || !*theFolder || IsCompanionFolder(theFolder))
        return 0;
    TraceTo(theList.itsStream, "***** Processing directory: %s\n", theFolder);
    int count = 0;
    CFolderIterator folder(theFolder);
    while (folder.Next()) {
        const char* name = folder.GetName().GetText();
        const Cstring full = folder.GetPath();
        const Cstring base = KeepAlnum(WithoutBundleEnding(name).GetText());
        if (folder.IsFolder())
            continue;
        if (!theNames) {
            CProgram* program = new CProgram();
            ScanFile(*program, full.GetText(), nullptr);
            theList.Append(program);
            ++count;
            continue;
        }
        const char* compared = theValid ? base.GetText() : name;
        const char* const* match = theNames;
        while (*match && strcasecmp(*match, compared) != 0)
            ++match;
        if (!*match) {
            TraceTo(theList.itsStream, "File %s (%s) did not match anything\n", name, base.GetText());
            continue;
        }
        CProgram* program = new CProgram();
        ScanFile(*program, full.GetText(), theList.itsStream);
        if (theValid && !FindMatchingProgram(*theValid, *program)) {
            if (pUnknown)
                pUnknown->Append(program);
            else
                delete program;
            continue;
        }
        theList.Append(program);
        ++count;
    }
    return count;
}

int ScanFile(CProgram& theProgram, const char* thePath, FILE* pTrace)
{
    if (!thePath)
        thePath = "";
    TraceTo(pTrace, "ScanFile: %s\n", thePath);
    const char* separator = std::strrchr(thePath, gPathSep);
    if (separator) {
        theProgram.itsName = separator + 1;
        theProgram.itsFolder = "";
        if (separator > thePath) // Assign takes a length of 0 as "all of it"
            theProgram.itsFolder.Assign(thePath, static_cast<int>(separator - thePath));
    } else {
        theProgram.itsName = thePath;
        theProgram.itsFolder = "";
    }
    theProgram.itsDate = FileModDateText(thePath);
    const Cstring base = WithoutBundleEnding(theProgram.itsName.GetText());
    theProgram.itsSize = 0;
    if (EndsWithNoCase(thePath, kBundleEnding))
        ScanBundle(theProgram, thePath, base, pTrace);
    else
        ScanOldStyle(theProgram, thePath, pTrace);
    return 1;
}
