// Extraction of an update archive the way the update run does it: into a
// fresh staging folder inside the target, with the run's name mapping,
// password and log.
//   ExtractBench --once ARCHIVE TARGET one extraction into TARGET, a folder that
//                                      must not exist yet (PW_BENCH_DIRECT=1:
//                                      without reading ahead)
//   ExtractBench --key                 prints the archive password, for the peer tools
//   PW_BENCH_ARCHIVE=... ExtractBench  Google Benchmark loop, each run into a fresh target

#include "engine/UpdateKit.h"
#include "engine/UpdateNames.h"
#include "engine/ZipExtractor.h"

#include <benchmark/benchmark.h>
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
    // PW_BENCH_DIRECT=1 measures reading on the main thread alone.
    const char* direct = std::getenv("PW_BENCH_DIRECT");
    extractor.SetReadAhead(!(direct && *direct == '1'));
    int result = extractor.Open(theArchive) ? extractor.ExtractFiles() : 0;
    if (!result)
        std::fprintf(stderr, "extraction failed: %s\n", extractor.GetLastError().GetText());
    if (log)
        std::fclose(log);
    return result;
}

// Every round writes into a target of its own and nothing is removed until
// the loop is over: a file system that holds back freed inodes for a while
// would otherwise be measured instead of the extraction.
void BM_ExtractArchive(benchmark::State& theState)
{
    const char* archive = std::getenv("PW_BENCH_ARCHIVE");
    if (!archive) {
        theState.SkipWithError("set PW_BENCH_ARCHIVE to an update archive");
        return;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "pw-extract-bench.XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        theState.SkipWithError("cannot make a folder for the targets");
        return;
    }
    int round = 0;
    for (auto _ : theState) {
        const std::string target = folder + "/round" + std::to_string(++round);
        if (!ExtractOnce(archive, target.c_str()))
            theState.SkipWithError("extraction failed");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ExtractArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0)
        return ExtractOnce(argv[2], argv[3]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--key") == 0) {
        Cstring key;
        BuildDataKeyText(key);
        std::printf("%s\n", key.GetText());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
