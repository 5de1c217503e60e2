#pragma once

#include "foundation/Arrays.h"
#include "identification/Program.h"

#include <cstdio>
#include <stop_token>
#include <vector>

// Describes programs in two steps, so that the files of every copy met in a
// scan are digested together on all cores rather than one copy after the
// other. Begin writes a program's trace lines at once, in the order a scan of
// one program after the other writes them, and lists its files; Finish
// digests every file listed and gives each program its parts and size, in the
// order the programs were begun. Until Finish a program has no parts.
class CScanBatch {
public:
    // With pCache, files it knows under their present key are not read.
    // Once theStop is asked for, the files not yet read keep empty digests.
    explicit CScanBatch(class CDigestCache* pCache = nullptr, std::stop_token theStop = {})
        : pItsCache(pCache)
        , itsStop(theStop)
    {
    }

    // Starts describing the program file or bundle at thePath into
    // theProgram: name, folder, date and, for a bundle, its executable. The
    // batch does not own theProgram, which must outlive the call to Finish.
    void Begin(CProgram& theProgram, const char* thePath, FILE* pTrace);
    // Completes every program begun since the last Finish.
    void Finish();

private:
    struct Pending {
        CProgram* itsProgram;
        bool bBundle;
        // The program's files are itsFiles[itsFirst] up to the next program's first.
        int itsFirst;
        Cstring itsPath;
    };

    CDigestCache* pItsCache;
    std::stop_token itsStop;
    std::vector<Pending> itsPending;
    CStringArray itsFiles;
};
