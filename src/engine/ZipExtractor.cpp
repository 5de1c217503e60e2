#include "engine/ZipExtractor.h"

#include "engine/ReadAheadReader.h"
#include "engine/RepeatedNames.h"
#include "engine/SafeEntryName.h"
#include "engine/TempFileWriter.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "foundation/ProgramFolders.h"
#include "platform/MessageBox.h"
#include "platform/SystemServices.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <thread>
#include <unistd.h>
#include <zip.h>

namespace {

// Data moves in blocks of this size, one write per block.
constexpr int kBlockSize = static_cast<int>(CReadAheadReader::kBlockSize);

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
    int error = 0;
    itsReader.reset(theArchivePath ? zip_open(theArchivePath, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr);
    itsEntryIndex = 0;
    itsArchivePath = theArchivePath ? theArchivePath : "";
    if (!itsReader) {
        itsLastError = "Error opening compressed file container";
        return 0;
    }
    return 1;
}

int CZipExtractor::Close()
{
    itsReader.reset();
    CloseOutputFolder();
    itsOutputRoot.Close();
    itsOutputRootPath.Clear();
    return 1;
}

void CZipExtractor::AddNameMapping(const char* theFrom, const char* theTo, const char* theExtra)
{
    if (!theFrom || !theTo)
        return;
    Cstring rule;
    rule.Format("%s|%s|%s", theFrom, theTo, theExtra ? theExtra : "");
    itsNameRules.Add(rule);
}

Cstring CZipExtractor::MapEntryName(const char* theName) const
{
    Cstring result(theName);
    for (int i = 0; i < itsNameRules.GetCount(); ++i) {
        CStringArray fields;
        itsNameRules.At(i).Split(fields, '|');
        const char* from = fields.GetCount() > 0 ? fields.At(0).GetText() : "";
        const char* to = fields.GetCount() > 1 ? fields.At(1).GetText() : "";
        if (std::strcmp(theName, from) == 0) {
            result = to;
        } else if (StartsWithNoCase(theName, from)) {
            result = Cstring(to, theName + std::strlen(from));
            break;
        }
    }
    return result;
}

int CZipExtractor::ExtractFiles()
{
    itsEntriesDone = 0;
    itsLastError = "";
    const zip_int64_t count = itsReader ? zip_get_num_entries(itsReader.get(), 0) : -1;
    if (count < 0) {
        Fail("ExtractFiles failed - %s\n", "Unable to get global info (%d)", ZIP_ER_INVAL);
        return 0;
    }
    if (!CountEntries(static_cast<uint64_t>(count)))
        return 0;
    itsEntryCount = static_cast<uint32_t>(count);

    CDirectEntryReader direct(itsReader.get(), itsPassword);
    // Decryption is most of the work and is serial within an entry: with a
    // second core, two readers work on alternate entries while this thread
    // writes. Small entries leave file creation as the work and a second
    // reader would only hold another copy of the archive's directory.
    CStripedReader readAhead;
    const bool bLargeEntries = itsEntryCount > 0 && itsTotalBytes / itsEntryCount >= kBlockSize;
    const int readers = bLargeEntries && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    const bool bReadAhead
        = bUseReadAhead && readAhead.Start(itsArchivePath.GetText(), itsPassword, itsEntryCount, readers);
    itsEntries = bReadAhead ? static_cast<CEntryReader*>(&readAhead) : &direct;
    const int result = ExtractEntries();
    itsEntries = nullptr;
    return result;
}

int CZipExtractor::ExtractEntries()
{
    int result = 0;
    for (uint64_t i = 0; i < itsEntryCount; ++i) {
        itsEntryIndex = i;
        result = ExtractOneFile();
        if (gAbortUpdate) {
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
    zip_stat_t info;
    for (uint64_t i = 0; i < theCount; ++i) {
        if (zip_stat_index(itsReader.get(), i, ZIP_FL_ENC_RAW, &info) != 0 || !(info.valid & ZIP_STAT_NAME))
            break; // the entry itself reports it when its turn comes
        if (info.valid & ZIP_STAT_SIZE)
            itsTotalBytes += static_cast<int64_t>(info.size);
        const Cstring mapped = MapEntryName(info.name);
        if (!IsSafeEntryName(mapped.GetText())) {
            Fail("ExtractFiles failed - %s\n", "Unsafe file name in archive: %s", info.name);
            return false;
        }
        names.Add(static_cast<uint32_t>(i), mapped.GetText());
    }
    const int64_t repeat = names.FindRepeat([this](uint32_t theIndex) {
        zip_stat_t entry;
        return zip_stat_index(itsReader.get(), theIndex, ZIP_FL_ENC_RAW, &entry) == 0
            ? MapEntryName(entry.name)
            : Cstring();
    });
    if (repeat != -1
        && zip_stat_index(itsReader.get(), static_cast<uint64_t>(repeat), ZIP_FL_ENC_RAW, &info) == 0) {
        Fail("ExtractFiles failed - %s\n", "Unsafe file name in archive: %s", info.name);
        return false;
    }
    return true;
}

int CZipExtractor::ExtractOneFile()
{
    int result = 0;
    itsCurrentName.Clear();
    zip_stat_t info;
    zip_stat_init(&info);
    if (!itsReader || zip_stat_index(itsReader.get(), itsEntryIndex, ZIP_FL_ENC_RAW, &info) != 0) {
        Fail("ExtractOneFile failed - %s\n", "Unable to get compressed file info (%d)",
            itsReader ? ZipArchiveErrorCode(itsReader.get()) : ZIP_ER_INVAL);
        return 0;
    }
    SetCurrentName(info.name);
    UpdateProgress();

    // ExtractFiles has checked every name already; a caller that extracts
    // entries one by one gets the same protection.
    const Cstring name = MapEntryName(info.name);
    if (!IsSafeEntryName(name.GetText())) {
        Fail("ExtractOneFile failed - %s\n", "Unsafe file name in archive: %s", info.name);
        return 0;
    }
    const Cstring path = DestinationPath(name);
    Cstring folder;
    Cstring fileName;
    Cstring::SplitPath(path, folder, fileName);
    Log("ExtractOneFile - %s\n", path.GetText());

    CDirectEntryReader direct(itsReader.get(), itsPassword);
    CEntryReader& entry = itsEntries ? *itsEntries : direct;
    if (const int error = entry.Open(itsEntryIndex); error != 0) {
        Fail("ExtractOneFile failed - %s\n", "Unable to open compressed file (%d)", error);
        return 0;
    }
    Cstring root;
    Cstring relative;
    WritePlace(name, root, relative);
    // Split by hand: the relative name means nothing to the working folder.
    const char* lastSlash = std::strrchr(relative.GetText(), '/');
    Cstring relativeFolder;
    if (lastSlash && lastSlash != relative.GetText())
        relativeFolder.Assign(relative.GetText(), static_cast<int>(lastSlash - relative.GetText()));
    const Cstring relativeName(lastSlash ? lastSlash + 1 : relative.GetText());
    const int outputFolder = OpenOutputFolder(root, relativeFolder);
    if (outputFolder == -1) {
        Fail("ExtractOneFile failed - %s\n", "Unable to create directory - %s\nDirectory is %s",
            std::strerror(errno), folder.GetText());
        return 0;
    }

    bool bWrite = true;
    const bool bFolderEntry = EndsWithNoCase(path.GetText(), "/");
    if (bFolderEntry) {
        bWrite = false;
        result = 1;
    } else if (FileExists(path.GetText())) {
        if (itsOverwriteMode == kOverwriteAsk)
            bWrite = AskOverwrite(path.GetText(), itsEntryCount) != 0;
        else
            bWrite = itsOverwriteMode == kOverwriteReplace;
        if (!bWrite)
            result = 1; // the existing file stays untouched
    }

    CTempFileWriter output;
    if (bWrite) {
        const int error = output.Create(outputFolder, relativeName.GetText(),
            itsStagingFolder.IsEmpty() ? CTempFileWriter::kReplaceByRename : CTempFileWriter::kCreateInPlace);
        if (error == 0) {
            result = 1;
        } else {
            itsLastError.Format("ExtractOneFile file open failed - %d - %s\nFile: %s", error,
                std::strerror(error), path.GetText());
            Log("%s\n", itsLastError.GetText()); // the text names the step already
        }
    }
    if (!output.IsOpen())
        itsBytesDone += static_cast<int64_t>(info.size);

    bool bFailed = false;
    uint64_t written = 0;
    for (;;) {
        if (gAbortUpdate) {
            itsLastError = "Extract Aborted";
            bFailed = true;
            break;
        }
        int readError = 0;
        const int64_t count = entry.Read(itsBlock.GetBuffer(), kBlockSize, readError);
        if (count == 0)
            break;
        written += count > 0 ? static_cast<uint64_t>(count) : 0;
        // An entry that yields more than it declares is damaged or forged.
        if (count < 0 || written > info.size) {
            Fail("ExtractOneFile failed - %s\n", "Decompress Error (%d)",
                count < 0 ? readError : ZIP_ER_INCONS);
            bFailed = true;
            break;
        }
        if (!output.IsOpen())
            continue;
        if (const int error = output.Write(itsBlock.GetText(), static_cast<size_t>(count)); error != 0) {
            Fail("ExtractOneFile failed - %s\n", "Data Write Failed - %s\nFile: %s", std::strerror(error),
                path.GetText());
            bFailed = true;
            break;
        }
        itsBytesDone += count;
        UpdateProgress();
    }
    if (bFailed)
        result = 0;

    // Closing checks the entry's CRC; a failure already reported keeps its text.
    const int closeError = entry.Close();
    if (closeError != 0 && !bFailed) {
        Fail("ExtractOneFile failed - %s\n", "Failed to close compressed file (%d)", closeError);
        result = 0;
    }
    if (!output.IsOpen() || result == 0)
        return result;

    const mode_t mode = std::strstr(path.GetText(), ".app/Contents/MacOS/") ? 0755 : 0644;
    int modeError = 0;
    if (const int error = output.Finish(info.mtime, mode, modeError); error != 0) {
        Fail("ExtractOneFile failed - %s\n", "Data Write Failed - %s\nFile: %s", std::strerror(error),
            path.GetText());
        return 0;
    }
    if (modeError != 0)
        Log("ExtractOneFile failed - chmod error %d - %s\n", modeError, std::strerror(modeError));
    if (const int error = output.Install(); error != 0) {
        itsLastError.Format("ExtractOneFile file open failed - %d - %s\nFile: %s", error,
            std::strerror(error), path.GetText());
        Log("%s\n", itsLastError.GetText()); // the text names the step already
        return 0;
    }
    return result;
}

int CZipExtractor::AskOverwrite(const char* thePath, uint32_t theEntryCount)
{
    if (gAbortUpdate)
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

void CZipExtractor::UpdateProgress()
{
    itsProgress.Update(itsCurrentName, itsBytesDone, itsTotalBytes, itsEntriesDone, itsEntryCount);
}

Cstring CZipExtractor::DestinationPath(const Cstring& theName) const
{
    if (*theName.GetText() == '/')
        return theName;
    Cstring root;
    Cstring relative;
    DestinationPlace(theName, root, relative);
    return Cstring::Path(root, relative.GetText());
}

void CZipExtractor::DestinationPlace(const Cstring& theName, Cstring& theRoot, Cstring& theRelative) const
{
    theRoot = itsDestination.IsNotEmpty() ? itsDestination : BaseProgramPath;
    theRelative = theName;
    if (itsDestination.IsNotEmpty())
        return;
    if (const char* slash = std::strchr(theName.GetText(), '/')) {
        const std::string first(theName.GetText(), slash);
        if (strcasecmp(first.c_str(), "My Library") == 0 || strcasecmp(first.c_str(), "My Projects") == 0) {
            theRoot = gMyProjectsPath;
            theRelative = slash + 1;
        }
    }
}

void CZipExtractor::WritePlace(const Cstring& theName, Cstring& theRoot, Cstring& theRelative) const
{
    DestinationPlace(theName, theRoot, theRelative);
    if (itsStagingFolder.IsNotEmpty())
        theRoot = itsStagingFolder;
    if (theRoot.IsEmpty())
        theRoot = "."; // the working folder, as a path joined to nothing reads
}

int CZipExtractor::OpenOutputFolder(const Cstring& theRoot, const Cstring& theFolder)
{
    if (itsOutputFolder != -1 && itsOutputRootPath == theRoot && itsOutputFolderName == theFolder)
        return itsOutputFolder;
    CloseOutputFolder();
    if (!(itsOutputRootPath == theRoot) || !itsOutputRoot.IsOpen()) {
        itsOutputRootPath.Clear();
        // The destination itself may lie behind links: it is the caller's choice.
        if (!MakeFolders(theRoot.GetText()))
            return -1;
        if (const int error = itsOutputRoot.Open(theRoot.GetText()); error != 0) {
            errno = error;
            return -1;
        }
        itsOutputRootPath = theRoot;
    }
    itsOutputFolder = itsOutputRoot.MakeFolders(theFolder.GetText());
    if (itsOutputFolder != -1)
        itsOutputFolderName = theFolder;
    return itsOutputFolder;
}

void CZipExtractor::CloseOutputFolder()
{
    if (itsOutputFolder != -1)
        close(itsOutputFolder);
    itsOutputFolder = -1;
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
