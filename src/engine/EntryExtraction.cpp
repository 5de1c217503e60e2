#include "engine/EntryExtraction.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"

#include <cstring>

CEntryExtraction::CEntryExtraction(CEntryData& theData, const CZipEntry& theEntry, CEntryOutcome& theOutcome)
    : itsData(theData)
    , itsEntry(theEntry)
    , itsOutcome(theOutcome)
{
}

CEntryExtraction::~CEntryExtraction()
{
    if (bOpen)
        itsData.Close();
}

bool CEntryExtraction::OpenEntry(const CZipArchiveFile& theArchive, const Cstring& thePassword)
{
    itsOutcome.itsOpenError = itsData.Open(theArchive, itsEntry, thePassword.GetText());
    bOpen = itsOutcome.itsOpenError == 0;
    if (!bOpen)
        itsOutcome.itsArchiveFailure = itsData.GetFailure();
    return bOpen;
}

bool CEntryExtraction::CreateFile(
    int theFolder, const char* theName, CTempFileWriter::Placement thePlacement, mode_t theMode)
{
    itsOutcome.itsCreateError = itsOutput.Create(theFolder, theName, thePlacement, theMode);
    return itsOutcome.itsCreateError == 0;
}

void CEntryExtraction::CopyData(char* pBlock, size_t theBlockSize, CEntryProgress& theProgress)
{
    uint64_t read = 0;
    for (;;) {
        if (!theProgress.KeepGoing()) {
            itsOutcome.bAborted = true;
            return;
        }
        int error = 0;
        const int64_t count = itsData.Read(pBlock, theBlockSize, error);
        if (count == 0)
            return;
        read += count > 0 ? static_cast<uint64_t>(count) : 0;
        // An entry that yields more than it declares is damaged or forged.
        if (count < 0 || read > itsEntry.itsSize) {
            itsOutcome.itsReadError = count < 0 ? error : kZipErrorInconsistent;
            itsOutcome.itsArchiveFailure = count < 0
                ? itsData.GetFailure()
                : FaultText("the data is longer than the %llu bytes the directory declares (%s)",
                    static_cast<unsigned long long>(itsEntry.itsSize), EntryPlace(itsEntry).c_str());
            return;
        }
        if (!itsOutput.IsOpen())
            continue;
        if (const int writeError = itsOutput.Write(pBlock, static_cast<size_t>(count)); writeError != 0) {
            itsOutcome.itsWriteError = writeError;
            return;
        }
        itsOutcome.itsBytesWritten += static_cast<uint64_t>(count);
        theProgress.Written(static_cast<uint64_t>(count));
    }
}

void CEntryExtraction::Finish(time_t theDate)
{
    if (!bOpen)
        return;
    bOpen = false;
    // Closing checks the entry's end; a failure already found keeps its text.
    const int endError = itsData.Close();
    if (itsOutcome.itsReadError == 0 && !itsOutcome.bAborted && itsOutcome.itsWriteError == 0) {
        itsOutcome.itsEndError = endError;
        if (endError != 0)
            itsOutcome.itsArchiveFailure = itsData.GetFailure();
    }
    if (!itsOutput.IsOpen() || !Succeeded())
        return; // an unfinished file is removed with the writer
    itsOutcome.itsFinishError = itsOutput.Finish(theDate, itsOutcome.itsModeError);
    if (itsOutcome.itsFinishError == 0)
        itsOutcome.itsInstallError = itsOutput.Install();
}

bool CEntryExtraction::Succeeded() const
{
    const CEntryOutcome& o = itsOutcome;
    return o.itsOpenError == 0 && o.itsFolderError == 0 && o.itsCreateError == 0 && o.itsReadError == 0
        && !o.bAborted && o.itsWriteError == 0 && o.itsEndError == 0 && o.itsFinishError == 0
        && o.itsInstallError == 0;
}

mode_t ExtractedFileMode(const char* thePath)
{
    return std::strstr(thePath, ".app/Contents/MacOS/") ? 0755 : 0644;
}
