#include "identification/ScanBatch.h"

#include "identification/BundleFiles.h"
#include "identification/PartDigests.h"
#include "identification/ProgramList.h"
#include "platform/SystemServices.h"

#include <cstring>

namespace {

// Sizes add up without wrapping: a part count beyond 2 GiB is not supported.
void AddSize(CProgram& theProgram, int32_t theSize)
{
    const int64_t sum = static_cast<int64_t>(theProgram.itsSize) + theSize;
    theProgram.itsSize = sum > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sum);
}

void AddPart(CProgram& theProgram, const char* theName, const PartDigest& theDigest)
{
    theProgram.AddPart(new CProgramPart(&theProgram, theName, theDigest.itsSize, theDigest.itsText));
    AddSize(theProgram, theDigest.itsSize);
}

} // namespace

void CScanBatch::Begin(CProgram& theProgram, const char* thePath, FILE* pTrace)
{
    if (!thePath)
        thePath = "";
    TraceTo(pTrace, "ScanFile: %s\n", thePath);
    const char* separator = std::strrchr(thePath, gPathSep);
    theProgram.itsName = separator ? separator + 1 : thePath;
    theProgram.itsFolder = "";
    if (separator && separator > thePath) // Assign takes a length of 0 as "all of it"
        theProgram.itsFolder.Assign(thePath, static_cast<int>(separator - thePath));
    theProgram.itsDate = FileModDateText(thePath);
    theProgram.itsSize = 0;

    const int first = itsFiles.GetCount();
    const bool bBundle = EndsWithNoCase(thePath, kBundleEnding);
    if (!bBundle) {
        TraceTo(pTrace, "Processing old style program: %s\n", thePath);
        itsFiles.Add(thePath);
        itsPending.push_back({ &theProgram, false, first, thePath });
        return;
    }
    TraceTo(pTrace, "Processing .app program: %s\n", thePath);
    CollectFiles(itsFiles, thePath);
    for (int i = first; i < itsFiles.GetCount(); ++i) {
        const char* file = itsFiles.At(i).GetText();
        TraceTo(pTrace, "Processing program part: %s\n", file);
        // Every Info.plist is read, so the last one decides, even when it names nothing.
        if (EndsWithNoCase(file, kBundleInfoFile))
            theProgram.itsExecutable = GetBundleExecutable(file);
    }
    if (theProgram.itsExecutable.IsEmpty())
        theProgram.itsExecutable = WithoutBundleEnding(theProgram.itsName.GetText());
    itsPending.push_back({ &theProgram, true, first, thePath });
}

void CScanBatch::Finish()
{
    std::vector<PartDigest> digests;
    DigestFiles(itsFiles, digests, pItsCache, itsStop);
    for (size_t i = 0; i < itsPending.size(); ++i) {
        const Pending& pending = itsPending[i];
        CProgram& program = *pending.itsProgram;
        const int end = i + 1 < itsPending.size() ? itsPending[i + 1].itsFirst : itsFiles.GetCount();
        if (!pending.bBundle) {
            AddPart(program, "<DF>", digests[pending.itsFirst]);
            PartDigest fork;
            fork.itsSize = DigestResourceFork(pending.itsPath.GetText(), fork.itsText);
            AddPart(program, "<RF>", fork);
            continue;
        }
        const size_t cut = static_cast<size_t>(pending.itsPath.Length()) + 1;
        for (int file = pending.itsFirst; file < end; ++file) {
            const char* path = itsFiles.At(file).GetText();
            AddPart(program, StartsWithNoCase(path, pending.itsPath.GetText()) ? path + cut : path,
                digests[file]);
        }
    }
    itsPending.clear();
    itsFiles.RemoveAll();
}
