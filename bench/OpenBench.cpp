// Opening an archive: finding its end record and checking its directory,
// which must cost one walk of the directory however many end records the
// last 64 KB hold. Each archive holds 110,000 empty entries (a directory of
// 7.8 MB):
//   Plain           one end record
//   ManyEndRecords  2,900 end records nested in each other's comments, each
//                   leading to the same directory (refused as ambiguous)
//   OpenBench                          both
//   OpenBench --write KIND ARCHIVE     writes one of them, for other tools

#include "zip/ZipArchiveFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kEntries = 110000;
constexpr size_t kEndRecords = 2900;

void Put(std::string& theOut, uint32_t theValue, int theBytes)
{
    for (int i = 0; i < theBytes; ++i)
        theOut += static_cast<char>((theValue >> (8 * i)) & 0xFF);
}

std::string EndRecord(uint32_t theCount, uint32_t theSize, uint32_t theOffset, size_t theCommentLength)
{
    std::string record;
    Put(record, 0x06054b50, 4);
    Put(record, 0, 4);
    Put(record, theCount & 0xFFFF, 2);
    Put(record, theCount & 0xFFFF, 2);
    Put(record, theSize, 4);
    Put(record, theOffset, 4);
    Put(record, static_cast<uint32_t>(theCommentLength), 2);
    return record;
}

std::string Archive(bool bManyEndRecords)
{
    std::string data;
    std::string directory;
    for (uint32_t i = 0; i < kEntries; ++i) {
        const std::string name = "NewFiles/" + std::to_string(1000000 + i) + "/file.txt";
        const auto offset = static_cast<uint32_t>(data.size());
        for (std::string* out : { &data, &directory }) {
            const bool bCentral = out == &directory;
            Put(*out, bCentral ? 0x02014b50 : 0x04034b50, 4);
            if (bCentral)
                Put(*out, 20, 2);
            Put(*out, 20, 2); // version
            Put(*out, 0, 2); // flags
            Put(*out, 0, 2); // stored
            Put(*out, 0, 4); // time and date
            Put(*out, 0, 4); // CRC
            Put(*out, 0, 4); // sizes
            Put(*out, 0, 4);
            Put(*out, static_cast<uint32_t>(name.size()), 2);
            Put(*out, 0, 2); // extra field
            if (bCentral) {
                Put(*out, 0, 4); // comment, disk
                Put(*out, 0, 2); // attributes
                Put(*out, 0, 4);
                Put(*out, offset, 4);
            }
            *out += name;
        }
    }
    const auto size = static_cast<uint32_t>(directory.size());
    const auto offset = static_cast<uint32_t>(data.size());
    if (!bManyEndRecords)
        return data + directory + EndRecord(kEntries, size, offset, 0);
    // Each counts one entry too many, so that no directory checks out.
    std::string tail;
    for (size_t i = 0; i < kEndRecords; ++i)
        tail = EndRecord(kEntries + 1, size, offset, tail.size()) + tail;
    return data + directory + tail;
}

const std::string& PathOf(bool bManyEndRecords)
{
    static const fs::path folder = fs::temp_directory_path() / ("pw-openbench-" + std::to_string(getpid()));
    static std::string paths[2];
    std::string& path = paths[bManyEndRecords ? 1 : 0];
    if (path.empty()) {
        fs::create_directories(folder);
        path = (folder / (bManyEndRecords ? "many.zip" : "plain.zip")).string();
        std::ofstream(path, std::ios::binary) << Archive(bManyEndRecords);
    }
    return path;
}

void Open(benchmark::State& theState, bool bManyEndRecords)
{
    const std::string& path = PathOf(bManyEndRecords);
    int error = 0;
    for (auto _ : theState) {
        CZipArchiveFile archive;
        error = archive.Open(path.c_str());
        benchmark::DoNotOptimize(error);
    }
    theState.SetLabel(error == 0 ? "opens" : "refused");
}

} // namespace

BENCHMARK_CAPTURE(Open, Plain, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, ManyEndRecords, true)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        std::ofstream(argv[3], std::ios::binary) << Archive(std::strcmp(argv[2], "ManyEndRecords") == 0);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(fs::path(PathOf(false)).parent_path(), ignored);
    return 0;
}
