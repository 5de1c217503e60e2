#pragma once

#include <memory>

// Owners of libzip handles, so that no path out of a function leaves an
// archive or an entry open. The archive's deleter discards: an archive opened
// for writing is only written by an explicit zip_close, never by accident.

struct zip;
struct zip_file;

struct CZipArchiveCloser {
    void operator()(zip* pArchive) const;
};
struct CZipEntryCloser {
    void operator()(zip_file* pEntry) const;
};

using CZipArchiveHandle = std::unique_ptr<zip, CZipArchiveCloser>;
using CZipEntryHandle = std::unique_ptr<zip_file, CZipEntryCloser>;

// libzip's error code for the last failure on the archive or the entry.
int ZipArchiveErrorCode(zip* pArchive);
int ZipEntryErrorCode(zip_file* pEntry);
