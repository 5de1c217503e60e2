#include "support/OurReading.h"

#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"

namespace {

std::vector<std::string> Read(const std::string& thePath, const std::string& thePassword, bool bNamed)
{
    CZipArchiveFile archive;
    if (int error = archive.Open(thePath.c_str()))
        return { "open error " + std::to_string(error) + ": " + archive.GetFailure() };
    std::vector<std::string> results;
    CZipDirectoryCursor cursor(archive);
    CZipEntry entry;
    int error = 0;
    while (cursor.Next(entry, error)) {
        CZipEntryDecoder decoder;
        std::string data;
        char block[4096];
        int64_t count = 0;
        if ((error = decoder.Open(archive, entry, thePassword.c_str())) == 0) {
            while ((count = decoder.Read(block, sizeof block, error)) > 0)
                data.append(block, static_cast<size_t>(count));
            if (count == 0)
                error = decoder.Close();
        }
        const std::string result
            = error == 0 ? data : "error " + std::to_string(error) + ": " + decoder.GetFailure();
        results.push_back(bNamed ? entry.itsName + "=" + result : result);
        error = 0;
    }
    if (error != 0)
        results.push_back("walk error " + std::to_string(error) + ": " + cursor.GetFailure());
    return results;
}

} // namespace

std::vector<std::string> ReadWithOurs(const std::string& thePath, const std::string& thePassword)
{
    return Read(thePath, thePassword, false);
}

std::vector<std::string> ReadNamedWithOurs(const std::string& thePath, const std::string& thePassword)
{
    return Read(thePath, thePassword, true);
}
