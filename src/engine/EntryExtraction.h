#pragma once

#include "engine/TempFileWriter.h"
#include "foundation/Cstring.h"
#include "zip/EntryData.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

// What one entry's extraction came to, step by step, so that the thread that
// reports it in the log need not be the one that did the work. Codes are
// libzip's for the archive's side and errno values for the file's side; 0
// means the step went well or was not reached.
struct CEntryOutcome {
    int itsOpenError = 0; // nothing else was tried
    int itsFolderError = 0; // nothing else was tried
    int itsCreateError = 0; // the data was still read through and checked
    int itsReadError = 0; // kZipErrorInconsistent: more data than the entry declares
    bool bAborted = false;
    int itsWriteError = 0;
    int itsEndError = 0; // the check at the entry's end
    int itsFinishError = 0; // closing the written file
    int itsModeError = 0; // a failed chmod alone does not fail the entry
    int itsInstallError = 0;
    uint64_t itsBytesWritten = 0;
    // The reader's words for the archive's failure among those above, with
    // the entry and the offset (ZipFault.h).
    std::string itsArchiveFailure;
};

// Told of each block as it passes, on the thread that does the work.
class CEntryProgress {
public:
    virtual ~CEntryProgress() = default;
    // Asked before each block: false leaves the entry as aborted.
    virtual bool KeepGoing() = 0;
    // After each block that was written.
    virtual void Written(uint64_t theCount) = 0;
};

// Extracts one entry's data into a file, in the steps the extractor takes:
// open the entry, make the file (or not, when the caller keeps what is
// there), copy the data through whether or not it is written, so that a
// damaged entry is found either way, then date, mode and install the file.
// Each step records its failure in the outcome and is skipped after one.
class CEntryExtraction {
public:
    // All four must outlive the extraction; theData may be reused for the
    // next entry once this one is gone.
    CEntryExtraction(CEntryData& theData, const CZipEntry& theEntry, CEntryOutcome& theOutcome);
    ~CEntryExtraction();
    CEntryExtraction(const CEntryExtraction&) = delete;
    CEntryExtraction& operator=(const CEntryExtraction&) = delete;

    bool OpenEntry(const CZipArchiveFile& theArchive, const Cstring& thePassword);
    // Starts the file theName in theFolder (a descriptor kept open until
    // Finish), to have theMode once finished; false when it cannot be made.
    bool CreateFile(
        int theFolder, const char* theName, CTempFileWriter::Placement thePlacement, mode_t theMode);
    bool IsWriting() const { return itsOutput.IsOpen(); }
    // pBlock holds theBlockSize bytes.
    void CopyData(char* pBlock, size_t theBlockSize, CEntryProgress& theProgress);
    // Ends the entry; a file written without a failure gets theDate and its
    // mode and is put in place.
    void Finish(time_t theDate);
    // Whether every step so far went well (a failed chmod aside).
    bool Succeeded() const;

private:
    CEntryData& itsData;
    const CZipEntry& itsEntry;
    CEntryOutcome& itsOutcome;
    CTempFileWriter itsOutput;
    bool bOpen = false;
};

// The mode of an extracted file: programs inside a bundle are executable.
mode_t ExtractedFileMode(const char* thePath);
