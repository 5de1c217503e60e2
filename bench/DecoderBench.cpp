// Our zip reader against libzip on the same entries: decryption alone, a
// large encrypted entry stored and deflated, and the directory of an archive
// of many small entries. Both read in the extractor's 16 KB blocks.
//   DecoderBench                                   every comparison, archives made in a scratch folder
//   DecoderBench --benchmark_filter=Stored         one group
//   DecoderBench --write-small N ARCHIVE           an archive of N small encrypted entries
//   DecoderBench --walk ARCHIVE [libzip]           reads every entry once with our reader
//                                                  (or libzip) and prints the peak memory
// The archives are written with libzip itself, encrypted with the key text.

#include "zip/TraditionalCipher.h"
#include "engine/UpdateKit.h"
#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"
#include "tools/ZipHandles.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>
#include <zip.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t kLargeEntry = 64u << 20;
constexpr int kSmallEntries = 20000;
constexpr size_t kBlock = 16384;

std::string Key()
{
    Cstring key;
    BuildDataKeyText(key);
    return key.GetText();
}

// Noise for the stored entry, text that deflates about four to one for the
// deflated one.
std::string Content(size_t theSize, bool bCompressible)
{
    std::mt19937 generator(1);
    std::string data(theSize, '\0');
    for (size_t i = 0; i < theSize; ++i)
        data[i] = bCompressible ? static_cast<char>('a' + generator() % 16) : static_cast<char>(generator());
    return data;
}

class CBenchArchives {
public:
    static void Write(
        const std::string& thePath, const std::vector<std::string>& theEntries, int32_t theMethod)
    {
        int error = 0;
        zip* archive = zip_open(thePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        const std::string key = Key();
        for (size_t i = 0; i < theEntries.size(); ++i) {
            zip_source_t* source = zip_source_buffer(archive, theEntries[i].data(), theEntries[i].size(), 0);
            const std::string name = "NewFiles/" + std::to_string(i);
            const zip_int64_t index = zip_file_add(archive, name.c_str(), source, 0);
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), theMethod, 1);
            zip_file_set_encryption(
                archive, static_cast<zip_uint64_t>(index), ZIP_EM_TRAD_PKWARE, key.c_str());
        }
        if (zip_close(archive) != 0)
            std::abort();
    }

    static std::vector<std::string> SmallEntries(int theCount)
    {
        std::vector<std::string> small;
        for (int i = 0; i < theCount; ++i)
            small.push_back(std::string(100 + i % 900, static_cast<char>('a' + i % 26)));
        return small;
    }

    CBenchArchives()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/pw-decoder-bench-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        itsFolder = pattern;
        Write(Path("stored.zip"), { Content(kLargeEntry, false) }, ZIP_CM_STORE);
        Write(Path("deflated.zip"), { Content(kLargeEntry, true) }, ZIP_CM_DEFLATE);
        Write(Path("small.zip"), SmallEntries(kSmallEntries), ZIP_CM_DEFLATE);
    }
    ~CBenchArchives() { fs::remove_all(itsFolder); }

    std::string Path(const char* theName) const { return (itsFolder / theName).string(); }

private:
    fs::path itsFolder;
};

const CBenchArchives& Archives()
{
    static const CBenchArchives archives;
    return archives;
}

// Every entry of theArchive read with libzip, as the extractor reads them.
int64_t ReadWithLibzip(const std::string& theArchive, const std::string& theKey)
{
    int error = 0;
    CZipArchiveHandle archive(zip_open(theArchive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    std::vector<char> block(kBlock);
    int64_t total = 0;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive.get(), 0); ++i) {
        CZipEntryHandle entry(
            zip_fopen_index_encrypted(archive.get(), static_cast<zip_uint64_t>(i), 0, theKey.c_str()));
        zip_int64_t count;
        while ((count = zip_fread(entry.get(), block.data(), block.size())) > 0)
            total += count;
    }
    return total;
}

int64_t ReadWithOurs(const std::string& theArchive, const Cstring& theKey)
{
    CZipArchiveFile archive;
    archive.Open(theArchive.c_str());
    CZipDirectoryCursor cursor(archive);
    CZipEntry entry;
    CZipEntryDecoder decoder;
    std::vector<char> block(kBlock);
    int64_t total = 0;
    int error = 0;
    while (cursor.Next(entry, error)) {
        decoder.Open(archive, entry, theKey.GetText());
        int64_t count;
        while ((count = decoder.Read(block.data(), block.size(), error)) > 0)
            total += count;
        decoder.Close();
    }
    return total;
}

void Libzip(benchmark::State& theState, const char* theName)
{
    const std::string path = Archives().Path(theName);
    const std::string key = Key();
    int64_t bytes = 0;
    for (auto _ : theState)
        bytes += ReadWithLibzip(path, key);
    theState.SetBytesProcessed(bytes);
}

void Ours(benchmark::State& theState, const char* theName)
{
    const std::string path = Archives().Path(theName);
    const Cstring key(Key().c_str());
    int64_t bytes = 0;
    for (auto _ : theState)
        bytes += ReadWithOurs(path, key);
    theState.SetBytesProcessed(bytes);
}

void CipherAlone(benchmark::State& theState)
{
    std::string data = Content(16u << 20, false);
    CTraditionalCipher cipher;
    const std::string key = Key();
    cipher.Start(key.data(), key.size());
    for (auto _ : theState) {
        cipher.Decrypt(reinterpret_cast<unsigned char*>(data.data()), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    theState.SetBytesProcessed(static_cast<int64_t>(theState.iterations() * data.size()));
}

} // namespace

BENCHMARK(CipherAlone)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Libzip, Stored, "stored.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, Stored, "stored.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Libzip, Deflated, "deflated.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, Deflated, "deflated.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Libzip, SmallEntries, "small.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, SmallEntries, "small.zip")->Unit(benchmark::kMillisecond)->UseRealTime();
int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--write-small") == 0) {
        CBenchArchives::Write(argv[3], CBenchArchives::SmallEntries(std::atoi(argv[2])), ZIP_CM_DEFLATE);
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--walk") == 0) {
        const int64_t bytes
            = argc == 4 ? ReadWithLibzip(argv[2], Key()) : ReadWithOurs(argv[2], Cstring(Key().c_str()));
        struct rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%lld bytes read, peak memory %ld KB\n", static_cast<long long>(bytes), usage.ru_maxrss);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
