#include "engine/ZipExtractor.h"

#include "engine/ExtractionWorkers.h"
#include "engine/RepeatedNames.h"
#include "engine/SafeEntryName.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "foundation/ProgramFolders.h"
#include "platform/MessageBox.h"
#include "platform/SystemServices.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <strings.h>
#include <thread>
#include <unistd.h>

namespace {

// Data moves in blocks of this size, one write and one redraw per block.
constexpr int kBlockSize = 16384;

// Shows each block as it is written and stops at the user's abort.
class CProgressPerBlock : public CEntryProgress {
public:
    CProgressPerBlock(
        const std::function<void(uint64_t)>& theWritten, const std::function<bool()>& theStopped)
        : itsWritten(theWritten)
        , itsStopped(theStopped)
    {
    }
    bool KeepGoing() override { return !itsStopped(); }
    void Written(uint64_t theCount) override { itsWritten(theCount); }

private:
    const std::function<void(uint64_t)>& itsWritten;
    const std::function<bool()>& itsStopped;
};

// A name with a zero byte would be cut short by every call that takes it: what
// is checked would not be what the archive says.
bool IsSafeName(const CZipEntry& theEntry, const Cstring& theMappedName)
{
    return theEntry.itsName.find('\0') == std::string::npos && IsSafeEntryName(theMappedName.GetText());
}

} // namespace

CZipExtractor::CZipExtractor()
    : itsBlock(kBlockSize)
{
}

CZipExtractor::~CZipExtractor()
{
    Close();
}

int CZipExtractor::Open(const char* theArchivePath)
{
    Close();
    itsEntryIndex = 0;
    if (!theArchivePath || itsArchive.Open(theArchivePath) != 0) {
        itsLastError = "Error opening compressed file container";
        if (theArchivePath)
            itsLastError.Append(WithFailure(itsArchive.GetFailure()).c_str());
        return 0;
    }
    itsCursor = std::make_unique<CZipDirectoryCursor>(itsArchive);
    itsCursorIndex = 0;
    return 1;
}

int CZipExtractor::Close()
{
    itsCursor.reset();
    itsArchive.Close();
    itsOutputFolder.Close();
    return 1;
}

void CZipExtractor::RewindCursor()
{
    itsCursor->Rewind();
    itsCursorIndex = 0;
}

bool CZipExtractor::EntryAt(uint64_t theIndex, CZipEntry& theEntry, int& theError)
{
    theError = kZipErrorInvalid;
    if (!itsCursor || theIndex >= itsArchive.GetEntryCount())
        return false;
    if (theIndex < itsCursorIndex)
        RewindCursor();
    for (; itsCursorIndex <= theIndex; ++itsCursorIndex) {
        if (!itsCursor->Next(theEntry, theError)) {
            // A damaged directory is read again from its start next time.
            RewindCursor();
            if (theError == 0)
                theError = kZipErrorInconsistent;
            return false;
        }
    }
    return true;
}

int CZipExtractor::ExtractFiles()
{
    itsEntriesDone = 0;
    itsLastError = "";
    if (!itsArchive.IsOpen()) {
        Fail("ExtractFiles failed - %s\n", "Unable to get global info (%d)", kZipErrorInvalid);
        return 0;
    }
    const uint64_t count = itsArchive.GetEntryCount();
    if (!CountEntries(count))
        return 0;
    itsEntryCount = static_cast<uint32_t>(count);
    if (!bUseReadAhead || !bStaging)
        return ExtractEntries();

    // A fresh staging folder holds nothing to replace and nothing to ask
    // about, so its entries can be written by several threads at once; the
    // log, progress and questions stay on this one.
    auto place = [this](CExtractionWorkers::Job& theJob) {
        theJob.itsMappedName = MapEntryName(theJob.itsEntry.itsName.c_str());
        theJob.itsPath = DestinationPath(theJob.itsMappedName);
        Cstring root;
        itsPlacement.WritePlace(theJob.itsMappedName, root, theJob.itsFolder, theJob.itsName);
        theJob.itsMode = ExtractedFileMode(theJob.itsPath.GetText());
        // Here rather than on the workers: the conversion takes the C
        // library's time zone lock and looks at the zone file every time.
        theJob.itsDate = theJob.itsEntry.GetModificationTime();
    };
    // The workers walk the directory with the counting pass's cursor, whose
    // buffer is then not held twice.
    RewindCursor();
    CExtractionWorkers workers(itsArchive, itsPassword, itsStagingFolder.Descriptor());
    // Without a thread, the workers' steps run on this one as it waits.
    workers.Start(itsWorkerThreads >= 0 ? itsWorkerThreads : DefaultExtractionWorkers(), *itsCursor, place);
    itsWorkers = &workers;
    const int result = ExtractEntries();
    itsWorkers = nullptr;
    RewindCursor();
    return result;
}

int CZipExtractor::ExtractEntries()
{
    int result = 0;
    for (uint64_t i = 0; i < itsEntryCount; ++i) {
        itsEntryIndex = i;
        result = ExtractOneFile();
        if (IsStopped()) {
            itsLastError = "Extract Aborted";
            Log("ExtractFiles aborted\n");
            return result;
        }
        if (!result)
            return 0;
        ++itsEntriesDone;
    }
    // Entries are reached by index, so the step to the next entry cannot
    // fail the way a sequential reader's can.
    return result;
}

bool CZipExtractor::CountEntries(uint64_t theCount)
{
    itsTotalBytes = 0;
    CRepeatedNames names;
    names.Reserve(theCount);
    CZipEntry entry;
    int error = 0;
    for (uint64_t i = 0; i < theCount; ++i) {
        if (!EntryAt(i, entry, error))
            break; // the entry itself reports it when its turn comes
        itsTotalBytes += static_cast<int64_t>(entry.itsSize);
        const Cstring mapped = MapEntryName(entry.itsName.c_str());
        if (!IsSafeName(entry, mapped)) {
            Fail("ExtractFiles failed - %s\n", "Unsafe file name in archive: %s", entry.itsName.c_str());
            return false;
        }
        names.Add(static_cast<uint32_t>(i), mapped.GetText());
    }
    const int64_t repeat = names.FindRepeat([this](uint32_t theIndex) {
        CZipEntry named;
        int code = 0;
        return EntryAt(theIndex, named, code) ? MapEntryName(named.itsName.c_str()) : Cstring();
    });
    if (repeat != -1 && EntryAt(static_cast<uint64_t>(repeat), entry, error)) {
        Fail("ExtractFiles failed - %s\n", "Unsafe file name in archive: %s", entry.itsName.c_str());
        return false;
    }
    return true;
}

int CZipExtractor::ExtractOneFile()
{
    itsCurrentName.Clear();
    int error = kZipErrorInvalid;
    const CExtractionWorkers::Job* job = itsWorkers ? itsWorkers->Next(error) : nullptr;
    if (job)
        itsEntry = job->itsEntry;
    else if (itsWorkers || !itsArchive.IsOpen() || !EntryAt(itsEntryIndex, itsEntry, error)) {
        std::string failure = itsCursor ? itsCursor->GetFailure() : std::string();
        if (error == 0) {
            error = kZipErrorInconsistent;
            failure = "the directory holds fewer entries than its end record says";
        }
        Fail("ExtractOneFile failed - %s\n", "Unable to get compressed file info (%d)%s", error,
            WithFailure(failure).c_str());
        return 0;
    }
    SetCurrentName(itsEntry.itsName.c_str());
    UpdateProgress();

    // ExtractFiles has checked every name already; a caller that extracts
    // entries one by one gets the same protection.
    // A worker's entry comes with its name mapped already.
    const Cstring name = job ? job->itsMappedName : MapEntryName(itsEntry.itsName.c_str());
    if (!IsSafeName(itsEntry, name)) {
        Fail("ExtractOneFile failed - %s\n", "Unsafe file name in archive: %s", itsEntry.itsName.c_str());
        return 0;
    }
    const Cstring path = job ? job->itsPath : DestinationPath(name);
    Log("ExtractOneFile - %s\n", path.GetText());

    if (!job) {
        CEntryOutcome outcome;
        ExtractHere(itsEntry, name, path, outcome);
        return Report(outcome, path);
    }
    const int64_t bytesBefore = itsBytesDone;
    if (IsStopped())
        itsWorkers->Stop();
    itsWorkers->Wait(*job, [this, bytesBefore](uint64_t theBytesWritten) {
        itsBytesDone = bytesBefore + static_cast<int64_t>(theBytesWritten);
        UpdateProgress();
        if (IsStopped())
            itsWorkers->Stop();
    });
    const bool bWritten = job->itsName.IsNotEmpty() && job->itsOutcome.itsCreateError == 0;
    itsBytesDone
        = bytesBefore + static_cast<int64_t>(bWritten ? job->itsOutcome.itsBytesWritten : itsEntry.itsSize);
    if (bWritten && job->itsOutcome.itsBytesWritten > 0)
        UpdateProgress();
    // An abort asked for while the entry was under way ends it, done or not,
    // as one asked for between two blocks does on this thread.
    if (IsStopped()) {
        CEntryOutcome aborted = job->itsOutcome;
        aborted.bAborted = true;
        return Report(aborted, path);
    }
    return Report(job->itsOutcome, path);
}

void CZipExtractor::ExtractHere(
    const CZipEntry& theEntry, const Cstring& theName, const Cstring& thePath, CEntryOutcome& theOutcome)
{
    CEntryExtraction extraction(itsData, theEntry, theOutcome);
    if (!extraction.OpenEntry(itsArchive, itsPassword))
        return;
    Cstring root;
    Cstring folder;
    Cstring file;
    itsPlacement.WritePlace(theName, root, folder, file);
    const int outputFolder = bStaging ? itsOutputFolder.OpenIn(itsStagingFolder.Descriptor(), folder)
                                      : itsOutputFolder.Open(root, folder);
    if (outputFolder == -1) {
        theOutcome.itsFolderError = errno;
        return;
    }
    bool bWrite = file.IsNotEmpty();
    if (bWrite && FileExists(thePath.GetText())) {
        if (itsOverwriteMode == kOverwriteAsk)
            bWrite = AskOverwrite(thePath.GetText(), itsEntryCount) != 0;
        else
            bWrite = itsOverwriteMode == kOverwriteReplace;
    }
    if (bWrite)
        extraction.CreateFile(outputFolder, file.GetText(),
            bStaging ? CTempFileWriter::kCreateInPlace : CTempFileWriter::kReplaceByRename,
            ExtractedFileMode(thePath.GetText()));
    if (!extraction.IsWriting())
        itsBytesDone += static_cast<int64_t>(theEntry.itsSize);
    const std::function<void(uint64_t)> written = [this](uint64_t theCount) {
        itsBytesDone += static_cast<int64_t>(theCount);
        UpdateProgress();
    };
    const std::function<bool()> stopped = [this] { return IsStopped(); };
    CProgressPerBlock progress(written, stopped);
    extraction.CopyData(itsBlock.GetBuffer(), kBlockSize, progress);
    extraction.Finish(theEntry.GetModificationTime());
}

int CZipExtractor::Report(const CEntryOutcome& theOutcome, const Cstring& thePath)
{
    const CEntryOutcome& o = theOutcome;
    const char* path = thePath.GetText();
    if (o.itsOpenError != 0) {
        Fail("ExtractOneFile failed - %s\n", "Unable to open compressed file (%d)%s", o.itsOpenError,
            WithFailure(o.itsArchiveFailure).c_str());
        return 0;
    }
    if (o.itsFolderError != 0) {
        Cstring folder;
        Cstring file;
        Cstring::SplitPath(thePath, folder, file);
        Fail("ExtractOneFile failed - %s\n", "Unable to create directory - %s\nDirectory is %s",
            std::strerror(o.itsFolderError), folder.GetText());
        return 0;
    }
    int result = 1;
    if (o.itsCreateError != 0) {
        itsLastError.Format("ExtractOneFile file open failed - %d - %s\nFile: %s", o.itsCreateError,
            std::strerror(o.itsCreateError), path);
        Log("%s\n", itsLastError.GetText()); // the text names the step already
        result = 0; // the data was still read through: a damaged entry says so
    }
    if (o.bAborted) {
        itsLastError = "Extract Aborted";
        return 0;
    }
    if (o.itsReadError != 0) {
        Fail("ExtractOneFile failed - %s\n", "Decompress Error (%d)%s", o.itsReadError,
            WithFailure(o.itsArchiveFailure).c_str());
        return 0;
    }
    if (o.itsWriteError != 0) {
        Fail("ExtractOneFile failed - %s\n", "Data Write Failed - %s\nFile: %s",
            std::strerror(o.itsWriteError), path);
        return 0;
    }
    if (o.itsEndError != 0) {
        Fail("ExtractOneFile failed - %s\n", "Failed to close compressed file (%d)%s", o.itsEndError,
            WithFailure(o.itsArchiveFailure).c_str());
        return 0;
    }
    if (result == 0)
        return 0;
    if (o.itsFinishError != 0) {
        Fail("ExtractOneFile failed - %s\n", "Data Write Failed - %s\nFile: %s",
            std::strerror(o.itsFinishError), path);
        return 0;
    }
    if (o.itsModeError != 0)
        Log("ExtractOneFile failed - chmod error %d - %s\n", o.itsModeError, std::strerror(o.itsModeError));
    if (o.itsInstallError != 0) {
        itsLastError.Format("ExtractOneFile file open failed - %d - %s\nFile: %s", o.itsInstallError,
            std::strerror(o.itsInstallError), path);
        Log("%s\n", itsLastError.GetText()); // the text names the step already
        return 0;
    }
    return 1;
}

int CZipExtractor::AskOverwrite(const char* thePath, uint32_t theEntryCount)
{
    if (IsStopped())
        return 0;
    if (gOverwriteAnswer == kOverwriteYesToAll)
        return 1;
    if (gOverwriteAnswer != 0)
        return 0;
    switch (AskOverwriteQuestion(thePath, theEntryCount)) {
    case kResultOk:
    case kResultYes:
        return 1;
    case kResultCancel:
        gAbortUpdate = 1;
        return 0;
    case kOverwriteNoToAll:
        gOverwriteAnswer = kOverwriteNoToAll;
        return 0;
    case kOverwriteYesToAll:
        gOverwriteAnswer = kOverwriteYesToAll;
        return 1;
    default:
        return 0;
    }
}

void CZipExtractor::SetStagingFolder(int theFolder)
{
    bStaging = true;
    // A folder that cannot be held leaves no descriptor: every write fails.
    itsStagingFolder.Adopt(theFolder);
}

void CZipExtractor::SetStagingFolder(const char* thePath)
{
    bStaging = true;
    itsStagingFolder.Close();
    if (MakeFolders(thePath))
        itsStagingFolder.Open(thePath);
}

void CZipExtractor::UpdateProgress()
{
    itsProgressSink->Update(itsCurrentName, itsBytesDone, itsTotalBytes, itsEntriesDone, itsEntryCount);
}

void CZipExtractor::SetCurrentName(const char* theEntryName)
{
    itsCurrentName = theEntryName;
    // Every entry of a bundle shows as the bundle.
    if (const char* bundle = std::strstr(theEntryName, ".app/"))
        itsCurrentName.Assign(theEntryName, static_cast<int>(bundle - theEntryName) + 4);
}

void CZipExtractor::Log(const char* theFormat, ...)
{
    if (!itsLog)
        return;
    va_list args;
    va_start(args, theFormat);
    std::vfprintf(itsLog, theFormat, args);
    va_end(args);
}

void CZipExtractor::Fail(const char* theLogFormat, const char* theErrorFormat, ...)
{
    va_list args;
    va_start(args, theErrorFormat);
    char* text = nullptr;
    if (vasprintf(&text, theErrorFormat, args) >= 0) {
        itsLastError = text;
        std::free(text);
    }
    va_end(args);
    Log(theLogFormat, itsLastError.GetText());
}
