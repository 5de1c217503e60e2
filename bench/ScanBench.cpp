// A start-up scan: ScanDirectory over an applications folder against the
// valid builds, for profiling the scan alone (bench/compare_all.sh times the
// whole --list). PW_BENCH_APPS names a folder holding two copies, the first
// in "Patchwell 5"; the valid record is described from it before timing
// starts.
#include "identification/ProgramScanner.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void ScanApplications(benchmark::State& theState)
{
    const char* apps = std::getenv("PW_BENCH_APPS");
    if (!apps) {
        theState.SkipWithError("PW_BENCH_APPS names no folder");
        return;
    }
    CProgramList valid;
    CProgram* build = new CProgram();
    ScanFile(*build, Cstring::Path(apps, "Patchwell 5/Patchwell 5.app").GetText(), nullptr);
    valid.Append(build);
    int64_t bytes = 0;
    for (auto _ : theState) {
        CProgramList found;
        if (ScanDirectory(found, apps, gValidProgramNames, &valid) != 2)
            theState.SkipWithError("the two copies were not both found");
        for (CProgram* program = found.First(); program; program = CProgramList::Next(program))
            bytes += program->itsSize;
    }
    theState.SetBytesProcessed(bytes);
}

} // namespace

BENCHMARK(ScanApplications)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_MAIN();
