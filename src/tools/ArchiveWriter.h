#pragma once

#include "foundation/Cstring.h"
#include "tools/ZipHandles.h"

// Writes an update archive: every file and folder under a source folder
// becomes an entry under one top folder, deflated, with its date, and
// protected with traditional zip encryption. The archive appears only when
// it is complete; a failure leaves an existing file at the output path as
// it was. A folder without a file makes no archive: it would update nothing.
class CArchiveWriter {
public:
    // 1, or 0 with the reason in theError.
    int Write(const char* theArchivePath, const char* theFolder, const char* theTopFolder,
        const char* thePassword, Cstring& theError);

private:
    int AddFolder(const Cstring& theFolder, const Cstring& theEntryPrefix, Cstring& theError);
    int AddEntry(
        const Cstring& thePath, const Cstring& theName, bool bFolder, long theDate, Cstring& theError);
    int LibraryFailure(const char* theWhat, const Cstring& theName, Cstring& theError);

    CZipArchiveHandle itsArchive;
    Cstring itsPassword;
    // The output file, so that an archive written into its own source folder
    // does not pack an older copy of itself.
    unsigned long itsOutputDevice = 0;
    unsigned long itsOutputInode = 0;
    size_t itsFiles = 0;
};
