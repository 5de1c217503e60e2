#pragma once

#include "engine/EntryExtraction.h"
#include "engine/EntryPlacement.h"
#include "engine/OutputFolder.h"
#include "engine/Progress.h"
#include "foundation/Arrays.h"
#include "foundation/Cstring.h"
#include "zip/ZipArchiveFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stop_token>
#include <vector>

class CDialogItems;
class CExtractionWorkers;

// Unpacks the update archive into a destination folder: entry names are
// rewritten by the name mapping, existing files follow the overwrite mode,
// entries may need a password, every written file gets the entry's date and
// a mode (0755 inside a bundle's "Contents/MacOS", else 0644), and progress
// goes to the dialog items. Every failure sets the last error and writes one
// line to the log.
//
// Names that would land outside the destination refuse the whole archive
// before anything is written, every write is resolved beneath the
// destination without following a symbolic link, and each file appears under
// its final name only when it is complete.
class CZipExtractor {
public:
    enum OverwriteMode {
        kOverwriteAsk = 0,
        kOverwriteKeep = 1, // so is every value other than 0 and 2
        kOverwriteReplace = 2,
    };

    CZipExtractor();
    ~CZipExtractor();
    CZipExtractor(const CZipExtractor&) = delete;
    CZipExtractor& operator=(const CZipExtractor&) = delete;

    // 1 when the archive is open; 0 with the last error
    // "Error opening compressed file container".
    int Open(const char* theArchivePath);
    int Close();

    // The log and the window belong to the caller; null turns them off.
    void SetLogFile(FILE* pLog) { itsLog = pLog; }
    // Where progress goes in place of the window's items, and the poll for a
    // cancel with it; not owned. Null: the extractor's own display.
    void SetProgress(CExtractionProgress* pProgress)
    {
        itsProgressSink = pProgress ? pProgress : &itsProgress;
    }
    // The extraction stops, as after a confirmed abort, once theStop is
    // asked for; a run's cancellation reaches the extractor this way.
    void SetStopToken(std::stop_token theStop) { itsStop = std::move(theStop); }
    void SetWindow(CDialogItems* pWindow) { itsProgress.SetWindow(pWindow); }
    void SetProgressItems(int theBarItem, int thePercentItem, const char* theFormat)
    {
        itsProgress.SetProgressItems(theBarItem, thePercentItem, theFormat);
    }
    void SetCounterItem(int theItem, const char* theFormat)
    {
        itsProgress.SetCounterItem(theItem, theFormat);
    }
    void SetNameItem(int theItem) { itsProgress.SetNameItem(theItem); }
    // Null or empty: entries are opened without a password.
    void SetPassword(const char* theText) { itsPassword = theText ? theText : ""; }
    void SetOverwriteMode(int32_t theMode) { itsOverwriteMode = theMode; }
    void SetDestination(const char* theFolder) { itsPlacement.SetDestination(theFolder); }
    // Writes the files beneath theFolder, an open fresh folder that holds
    // nothing yet, in place of the destination; names, questions and the log
    // still speak of the destination. The extractor keeps a descriptor of its
    // own, so no name swapped later changes where the files go.
    void SetStagingFolder(int theFolder);
    // The same for the folder at thePath, made when missing.
    void SetStagingFolder(const char* thePath);
    // With a staging folder, ExtractFiles extracts several entries at once
    // on worker threads unless this is turned off; what is written, logged
    // and asked stays the same, and progress is shown as it goes.
    void SetReadAhead(bool bReadAhead) { bUseReadAhead = bReadAhead; }
    // How many worker threads read ahead; 0 runs their steps on the caller's
    // thread, as when no thread can be had. Default: DefaultExtractionWorkers.
    void SetWorkerThreads(int theCount) { itsWorkerThreads = theCount; }

    // The name rules and the destination (CEntryPlacement), all at once or
    // one by one.
    void SetPlacement(const CEntryPlacement& thePlacement) { itsPlacement = thePlacement; }
    void AddNameMapping(const char* theFrom, const char* theTo, const char* theExtra = nullptr)
    {
        itsPlacement.AddNameMapping(theFrom, theTo, theExtra);
    }
    Cstring MapEntryName(const char* theName) const { return itsPlacement.MapEntryName(theName); }
    Cstring DestinationPath(const Cstring& theName) const { return itsPlacement.DestinationPath(theName); }

    // Extracts every entry in order. 1 when all were done; 0 on the first
    // failure, on an abort, on an unsafe name and for an empty archive.
    int ExtractFiles();
    // Extracts the current entry (the first after Open, then the one that
    // ExtractFiles has reached). 1 or 0.
    int ExtractOneFile();
    // Whether to replace the existing file at thePath when the mode is "ask":
    // the remembered answer for all files, else the overwrite question.
    int AskOverwrite(const char* thePath, uint32_t theEntryCount);
    // Shows the counts and the current name; polls for the user's cancel.
    void UpdateProgress();

    Cstring GetLastError() const { return itsLastError; }
    uint32_t GetFilesDone() const { return itsEntriesDone; }
    uint32_t GetFileCount() const { return itsEntryCount; }

private:
    // Sums the sizes into the total and refuses the archive when a mapped
    // name is unsafe or names the same item as an earlier entry.
    bool CountEntries(uint64_t theCount);
    int ExtractEntries();
    // The entry at theIndex, read from the directory; false with libzip's code.
    bool EntryAt(uint64_t theIndex, CZipEntry& theEntry, int& theError);
    // Back to the directory's start, where EntryAt counts from.
    void RewindCursor();
    // The steps of one entry on this thread, asking before it replaces a file.
    void ExtractHere(
        const CZipEntry& theEntry, const Cstring& theName, const Cstring& thePath, CEntryOutcome& theOutcome);
    // Logs what became of an entry and sets the last error; 1 when it is done.
    int Report(const CEntryOutcome& theOutcome, const Cstring& thePath);
    void SetCurrentName(const char* theEntryName);
    void Log(const char* theFormat, ...) __attribute__((format(printf, 2, 3)));
    // Sets the last error and logs it with theLogFormat ("... %s\n").
    void Fail(const char* theLogFormat, const char* theErrorFormat, ...)
        __attribute__((format(printf, 3, 4)));

    bool IsStopped() const { return gAbortUpdate != 0 || itsStop.stop_requested(); }

    CProgressDisplay itsProgress;
    CExtractionProgress* itsProgressSink = &itsProgress;
    std::stop_token itsStop;
    Cstring itsCurrentName;
    FILE* itsLog = nullptr;
    CZipArchiveFile itsArchive;
    // Walks the directory for the entries extracted on this thread.
    std::unique_ptr<CZipDirectoryCursor> itsCursor;
    uint64_t itsCursorIndex = 0; // of the entry the cursor gives next
    CZipEntry itsEntry;
    CDecodedEntry itsData;
    // Set while ExtractFiles has entries extracted on worker threads.
    CExtractionWorkers* itsWorkers = nullptr;
    bool bUseReadAhead = true;
    int itsWorkerThreads = -1;
    uint64_t itsEntryIndex = 0;
    uint32_t itsEntriesDone = 0;
    uint32_t itsEntryCount = 0;
    // 64-bit: archives beyond 2 GB must not wrap the progress fraction.
    int64_t itsBytesDone = 0;
    int64_t itsTotalBytes = 0;
    Cstring itsLastError;
    Cstring itsPassword;
    CEntryPlacement itsPlacement;
    bool bStaging = false;
    CConfinedFolder itsStagingFolder;
    COutputFolder itsOutputFolder;
    int32_t itsOverwriteMode = kOverwriteAsk;
    CBuffer itsBlock;
};
