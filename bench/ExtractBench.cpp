// Extraction of an update archive the way the update run does it: into a
// fresh staging folder inside the target, with the run's name mapping,
// password and log.
//   ExtractBench --once ARCHIVE TARGET one extraction into TARGET, a folder that
//                                      must not exist yet (PW_BENCH_DIRECT=1:
//                                      on one thread, without workers)
//   ExtractBench --key                 prints the archive password, for the peer tools
// A plain program, without the benchmark library: its peak memory is compared
// with the peer tool's, and a library loaded for nothing would be counted.

#include "engine/UpdateKit.h"
#include "engine/UpdateNames.h"
#include "engine/ZipExtractor.h"
#include "platform/ProcessHeap.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace {

int ExtractOnce(const char* theArchive, const char* theTarget)
{
    // A target that exists already would be measured with whatever it holds.
    const std::string stage = std::string(theTarget) + "/" + kStageName;
    for (const auto& [folder, mode] : { std::pair { theTarget, 0755 }, { stage.c_str(), 0700 } }) {
        if (mkdir(folder, mode) != 0) {
            std::fprintf(stderr, "cannot make the fresh folder %s: %s\n", folder, std::strerror(errno));
            return 0;
        }
    }
    Cstring key;
    BuildDataKeyText(key);
    const std::string logPath = std::string(theTarget) + "/" + kLogName;
    FILE* log = std::fopen(logPath.c_str(), "w");
    CZipExtractor extractor;
    extractor.SetLogFile(log);
    extractor.AddNameMapping("NewFiles/", "", nullptr);
    extractor.SetPassword(key.GetText());
    extractor.SetOverwriteMode(CZipExtractor::kOverwriteReplace);
    extractor.SetDestination(theTarget);
    extractor.SetStagingFolder(stage.c_str());
    // PW_BENCH_DIRECT=1 measures the extraction on one thread alone.
    const char* direct = std::getenv("PW_BENCH_DIRECT");
    extractor.SetReadAhead(!(direct && *direct == '1'));
    int result = extractor.Open(theArchive) ? extractor.ExtractFiles() : 0;
    if (!result)
        std::fprintf(stderr, "extraction failed: %s\n", extractor.GetLastError().GetText());
    if (log)
        std::fclose(log);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    // As the updater does.
    ShareOneHeapAmongThreads();
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0)
        return ExtractOnce(argv[2], argv[3]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--key") == 0) {
        Cstring key;
        BuildDataKeyText(key);
        std::printf("%s\n", key.GetText());
        return 0;
    }
    std::fprintf(stderr, "usage: ExtractBench --once ARCHIVE TARGET | --key\n");
    return 2;
}
