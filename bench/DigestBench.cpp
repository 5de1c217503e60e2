// Digests every file of a bundle the way start-up does: list it with
// CollectFiles, then DigestFiles over the list. The bundle folder comes from
// PW_BENCH_BUNDLE (bench/digest_vs_md5sum.sh builds one under /tmp).
#include "identification/BundleFiles.h"
#include "identification/PartDigests.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void DigestBundle(benchmark::State& theState)
{
    const char* bundle = std::getenv("PW_BENCH_BUNDLE");
    if (!bundle) {
        theState.SkipWithError("PW_BENCH_BUNDLE names no bundle");
        return;
    }
    int64_t bytes = 0;
    for (auto _ : theState) {
        CStringArray files;
        CollectFiles(files, bundle);
        std::vector<PartDigest> digests;
        DigestFiles(files, digests);
        for (const PartDigest& digest : digests)
            bytes += digest.itsSize;
    }
    theState.SetBytesProcessed(bytes);
}

} // namespace

BENCHMARK(DigestBundle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_MAIN();
