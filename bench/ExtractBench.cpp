// Extraction of an update archive the way the update run does it.
//   ExtractBench --once ARCHIVE DEST   one extraction, for timing whole runs
//                                      (PW_BENCH_DIRECT=1: without reading ahead)
//   ExtractBench --run ARCHIVE TARGET NEWBUNDLE
//                                      one whole update run of TARGET: the check,
//                                      staging, the check against NEWBUNDLE's
//                                      digests, backup, renames and sync; prints
//                                      the seconds the run took
//   ExtractBench --key                 prints the archive password, for the peer tool
//   PW_BENCH_ARCHIVE=... ExtractBench  Google Benchmark loop, each run into a fresh folder

#include "engine/UpdateKit.h"
#include "engine/UpdateRun.h"
#include "engine/ZipExtractor.h"
#include "identification/Program.h"
#include "identification/ProgramScanner.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

int ExtractOnce(const char* theArchive, const char* theDestination)
{
    Cstring key;
    BuildDataKeyText(key);
    const std::string logPath = std::string(theDestination) + ".log";
    FILE* log = std::fopen(logPath.c_str(), "w");
    CZipExtractor extractor;
    extractor.SetLogFile(log);
    extractor.AddNameMapping("NewFiles/", "", "");
    extractor.SetPassword(key.GetText());
    extractor.SetOverwriteMode(CZipExtractor::kOverwriteReplace);
    extractor.SetDestination(theDestination);
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

int RunOnce(const char* theArchive, const char* theTarget, const char* theNewBundle)
{
    Cstring key;
    BuildDataKeyText(key);
    CProgram newest;
    ScanFile(newest, theNewBundle, nullptr);
    const auto start = std::chrono::steady_clock::now();
    CUpdateRun run { Cstring(theTarget) };
    bool bDone = run.OpenLog();
    if (bDone) {
        run.SetArchive(Cstring(theArchive), key);
        run.SetBuilds(Cstring("2026/01/01 00:00:00"), &newest, nullptr);
        bDone = run.Apply();
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!bDone) {
        std::fprintf(stderr, "update failed: %s\n", run.GetMessage().GetText());
        return 1;
    }
    std::printf("%.3f\n", seconds.count());
    return 0;
}

void BM_ExtractArchive(benchmark::State& theState)
{
    const char* archive = std::getenv("PW_BENCH_ARCHIVE");
    if (!archive) {
        theState.SkipWithError("set PW_BENCH_ARCHIVE to an update archive");
        return;
    }
    const std::filesystem::path destination = std::filesystem::temp_directory_path() / "pw-extract-bench";
    for (auto _ : theState) {
        theState.PauseTiming();
        std::filesystem::remove_all(destination);
        theState.ResumeTiming();
        if (!ExtractOnce(archive, destination.c_str()))
            theState.SkipWithError("extraction failed");
    }
    std::filesystem::remove_all(destination);
    std::filesystem::remove(destination.string() + ".log");
}
BENCHMARK(BM_ExtractArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0)
        return ExtractOnce(argv[2], argv[3]) ? 0 : 1;
    if (argc == 5 && std::strcmp(argv[1], "--run") == 0)
        return RunOnce(argv[2], argv[3], argv[4]);
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
