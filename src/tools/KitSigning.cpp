#include "tools/KitSigning.h"

#include "engine/KitFiles.h"
#include "identification/ProgramData.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The date the updater gives the build an update installs: the newest the
// data file lists, in its own form ("2026/11/20 09:30:00").
bool NewestBuildDate(const fs::path& theKitFolder, std::string& theDate, std::string& theProblem)
{
    const std::string path = (theKitFolder / "data.txt").string();
    CProgramList builds;
    CProgramDataReport report;
    ReadProgramData(builds, path.c_str(), &report);
    if (!report.IsSound()) {
        theProblem = "the kit's data file " + path + " " + report.Problem().GetText();
        return false;
    }
    theDate = LatestProgramDate(builds).GetText();
    if (theDate.empty()) {
        theProblem = "the kit's data file " + path + " dates none of its builds";
        return false;
    }
    return true;
}

// theText as thePath, through a file of its own in the same folder renamed
// over it: a signature is never seen half written.
bool WriteWhole(const fs::path& thePath, const std::string& theText, std::string& theProblem)
{
    std::string temporary = thePath.string() + ".XXXXXX";
    const int file = mkstemp(temporary.data());
    if (file == -1) {
        theProblem = "cannot make a file beside " + thePath.string() + ": " + std::strerror(errno);
        return false;
    }
    const bool bWritten = write(file, theText.data(), theText.size()) == static_cast<ssize_t>(theText.size())
        && fchmod(file, 0644) == 0 && fsync(file) == 0;
    const int error = errno;
    close(file);
    if (bWritten && std::rename(temporary.c_str(), thePath.c_str()) == 0)
        return true;
    theProblem = "cannot write " + thePath.string() + ": " + std::strerror(bWritten ? errno : error);
    unlink(temporary.c_str());
    return false;
}

} // namespace

bool SignKitFolder(const char* theKitFolder, const Ed25519Key& theSecret, KitManifest& theManifest,
    std::string& theProblem, const char* theBuildDate)
{
    std::string date = theBuildDate ? theBuildDate : "";
    std::string text;
    if ((date.empty() && !NewestBuildDate(theKitFolder, date, theProblem))
        || !DigestKitFiles(theKitFolder, date, theManifest, theProblem)
        || !FormatManifest(theManifest, text, theProblem))
        return false;
    return WriteWhole(fs::path(theKitFolder) / kSignatureFileName,
        SignedManifestText(text, Sign(theSecret, text)), theProblem);
}
