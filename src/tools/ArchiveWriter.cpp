#include "tools/ArchiveWriter.h"

#include "engine/SafeEntryName.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zip.h>

namespace {

// The names in a folder in byte order, so that the same folder always gives
// the same archive.
bool ListFolder(const char* theFolder, std::vector<std::string>& theNames)
{
    DIR* folder = opendir(theFolder);
    if (!folder)
        return false;
    while (const dirent* entry = readdir(folder))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            theNames.emplace_back(entry->d_name);
    closedir(folder);
    std::sort(theNames.begin(), theNames.end());
    return true;
}

} // namespace

int CArchiveWriter::Write(const char* theArchivePath, const char* theFolder, const char* theTopFolder,
    const char* thePassword, Cstring& theError)
{
    struct stat info;
    if (stat(theFolder, &info) != 0 || !S_ISDIR(info.st_mode)) {
        theError.Format("%s is not a folder", theFolder);
        return 0;
    }
    const long folderDate = info.st_mtime;
    struct stat output;
    itsOutputDevice = itsOutputInode = 0;
    if (stat(theArchivePath, &output) == 0) {
        itsOutputDevice = output.st_dev;
        itsOutputInode = output.st_ino;
    }
    itsPassword = thePassword;
    itsFiles = 0;

    int error = 0;
    itsArchive.reset(zip_open(theArchivePath, ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!itsArchive) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        theError.Format("cannot create %s: %s", theArchivePath, zip_error_strerror(&details));
        zip_error_fini(&details);
        return 0;
    }
    Cstring top(theTopFolder);
    if (!AddEntry(Cstring(theFolder), top, true, folderDate, theError)
        || !AddFolder(Cstring(theFolder), top, theError)) {
        itsArchive.reset();
        return 0;
    }
    if (itsFiles == 0) {
        theError.Format("%s holds no files, so an update made of it would install nothing", theFolder);
        itsArchive.reset();
        return 0;
    }
    // Only now are the files read and the archive written, beside its final
    // name and renamed over it at the end.
    if (zip_close(itsArchive.get()) != 0) {
        theError.Format("cannot write %s: %s", theArchivePath, zip_strerror(itsArchive.get()));
        itsArchive.reset();
        return 0;
    }
    itsArchive.release();
    return 1;
}

int CArchiveWriter::AddFolder(const Cstring& theFolder, const Cstring& theEntryPrefix, Cstring& theError)
{
    std::vector<std::string> names;
    if (!ListFolder(theFolder.GetText(), names)) {
        theError.Format("cannot list %s", theFolder.GetText());
        return 0;
    }
    for (const std::string& name : names) {
        const Cstring path = Cstring::Path(theFolder, name.c_str());
        Cstring entryName(theEntryPrefix, name.c_str());
        struct stat info;
        if (stat(path.GetText(), &info) != 0) {
            theError.Format("cannot read %s", path.GetText());
            return 0;
        }
        if (info.st_dev == itsOutputDevice && info.st_ino == itsOutputInode)
            continue;
        struct stat link;
        const bool bLink = lstat(path.GetText(), &link) == 0 && S_ISLNK(link.st_mode);
        if (S_ISDIR(info.st_mode) && !bLink) {
            entryName += "/";
            if (!AddEntry(path, entryName, true, info.st_mtime, theError)
                || !AddFolder(path, entryName, theError))
                return 0;
        } else if (S_ISREG(info.st_mode)) {
            if (!AddEntry(path, entryName, false, info.st_mtime, theError))
                return 0;
        } else {
            theError.Format("cannot pack %s: only files and folders can be packed", path.GetText());
            return 0;
        }
    }
    return 1;
}

int CArchiveWriter::AddEntry(
    const Cstring& thePath, const Cstring& theName, bool bFolder, long theDate, Cstring& theError)
{
    // The updater refuses an archive with such a name, so it must not be made.
    if (!IsSafeEntryName(theName.GetText())) {
        theError.Format(
            "cannot pack %s: the updater refuses the entry name '%s'", thePath.GetText(), theName.GetText());
        return 0;
    }
    zip* archive = itsArchive.get();
    zip_int64_t index = -1;
    if (bFolder) {
        index = zip_dir_add(archive, theName.GetText(), ZIP_FL_ENC_GUESS);
    } else {
        zip_source_t* source = zip_source_file(archive, thePath.GetText(), 0, 0);
        if (!source)
            return LibraryFailure("cannot read", thePath, theError);
        index = zip_file_add(archive, theName.GetText(), source, ZIP_FL_ENC_GUESS);
        if (index < 0)
            zip_source_free(source);
        else
            ++itsFiles;
    }
    if (index < 0)
        return LibraryFailure("cannot add", theName, theError);
    const auto entry = static_cast<zip_uint64_t>(index);
    // A folder entry has no data to protect, and libzip writes an encrypted
    // empty entry without the header that readers check the password against,
    // so such an entry could never be opened again.
    if ((!bFolder && zip_set_file_compression(archive, entry, ZIP_CM_DEFLATE, 0) != 0)
        || (!bFolder
            && zip_file_set_encryption(archive, entry, ZIP_EM_TRAD_PKWARE, itsPassword.GetText()) != 0)
        || zip_file_set_mtime(archive, entry, static_cast<time_t>(theDate), 0) != 0)
        return LibraryFailure("cannot add", theName, theError);
    return 1;
}

int CArchiveWriter::LibraryFailure(const char* theWhat, const Cstring& theName, Cstring& theError)
{
    theError.Format("%s %s: %s", theWhat, theName.GetText(), zip_strerror(itsArchive.get()));
    return 0;
}
