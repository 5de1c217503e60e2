#include "identification/ProgramScanner.h"

#include "identification/BundleFiles.h"
#include "identification/DigestCache.h"
#include "identification/ProgramMatch.h"
#include "identification/ScanBatch.h"
#include "platform/FolderIterator.h"

#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

const char* const gValidProgramNames[]
    = { "Patchwell", "Patchwell5", "Patchwell5PPC", "PatchwellPPC", nullptr };
const char kCompanionMarker[] = "BEVELCOMPANION";

namespace {

bool IsCompanionFolder(const char* theFolder)
{
    Cstring folder(theFolder);
    folder.Replace(" ", "");
    folder.MakeUpper();
    return std::strstr(folder.GetText(), kCompanionMarker) != nullptr;
}

// The candidates of one scan, described together and decided in the order
// they were met: a record joins the list only once every file of every
// candidate has been digested, so that the copies share the cores.
class CCandidates {
public:
    CCandidates(CProgramList& theList, const CProgramList* theValid, CProgramList* pUnknown,
        std::stop_token theStop = {})
        : itsList(theList)
        , itsValid(theValid)
        , pItsUnknown(pUnknown)
        , itsBatch(ScanDigestCache(), theStop)
    {
    }

    // The entries of theFolder that are candidates, described up to their
    // digests; the trace lines are written as they are met.
    void Walk(const char* theFolder, const char* const* theNames);
    // Digests the candidates and hands each to the list, to the unknown
    // copies or to nothing; the number appended to the list.
    int Decide();

private:
    void Add(const Cstring& thePath, bool bMustMatch, FILE* pTrace);

    struct Candidate {
        std::unique_ptr<CProgram> itsProgram;
        // Kept only when it is one of the valid builds.
        bool bMustMatch;
    };

    CProgramList& itsList;
    const CProgramList* itsValid;
    CProgramList* pItsUnknown;
    std::vector<Candidate> itsCandidates;
    CScanBatch itsBatch;
};

void CCandidates::Walk(const char* theFolder, const char* const* theNames)
{
    if (!theFolder || !*theFolder || IsCompanionFolder(theFolder))
        return;
    TraceTo(itsList.itsStream, "***** Processing directory: %s\n", theFolder);
    CFolderIterator folder(theFolder);
    while (folder.Next()) {
        if (folder.IsFolder())
            continue;
        const char* name = folder.GetName().GetText();
        if (!theNames) {
            Add(folder.GetPath(), false, nullptr);
            continue;
        }
        const Cstring base = KeepAlnum(WithoutBundleEnding(name).GetText());
        const char* compared = itsValid ? base.GetText() : name;
        const char* const* match = theNames;
        while (*match && strcasecmp(*match, compared) != 0)
            ++match;
        if (*match)
            Add(folder.GetPath(), itsValid != nullptr, itsList.itsStream);
        else
            TraceTo(itsList.itsStream, "File %s (%s) did not match anything\n", name, base.GetText());
    }
}

void CCandidates::Add(const Cstring& thePath, bool bMustMatch, FILE* pTrace)
{
    itsCandidates.push_back({ std::make_unique<CProgram>(), bMustMatch });
    itsBatch.Begin(*itsCandidates.back().itsProgram, thePath.GetText(), pTrace);
}

int CCandidates::Decide()
{
    itsBatch.Finish();
    if (CDigestCache* cache = ScanDigestCache())
        cache->SaveIfChanged();
    int count = 0;
    for (Candidate& candidate : itsCandidates) {
        if (candidate.bMustMatch && !FindMatchingProgram(*itsValid, *candidate.itsProgram)) {
            if (pItsUnknown)
                pItsUnknown->Append(candidate.itsProgram.release());
            continue;
        }
        itsList.Append(candidate.itsProgram.release());
        ++count;
    }
    itsCandidates.clear();
    return count;
}

} // namespace

int ScanDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown, std::stop_token theStop)
{
    const std::string stars(60, '*');
    TraceTo(theList.itsStream, "\n%s\n%s %s\n%s\n", stars.c_str(),
        "Scanning directory:", theFolder ? theFolder : "", stars.c_str());
    if (!theFolder || !*theFolder)
        return 0;
    CCandidates candidates(theList, theValid, pUnknown, theStop);
    CFolderIterator folder(theFolder);
    while (!theStop.stop_requested() && folder.Next())
        if (folder.IsFolder())
            candidates.Walk(folder.GetPath().GetText(), theNames);
    return candidates.Decide();
}

int ProcessDirectory(CProgramList& theList, const char* theFolder, const char* const* theNames,
    const CProgramList* theValid, CProgramList* pUnknown)
{
    CCandidates candidates(theList, theValid, pUnknown);
    candidates.Walk(theFolder, theNames);
    return candidates.Decide();
}

int ScanFile(CProgram& theProgram, const char* thePath, FILE* pTrace)
{
    CScanBatch batch;
    batch.Begin(theProgram, thePath, pTrace);
    batch.Finish();
    return 1;
}
