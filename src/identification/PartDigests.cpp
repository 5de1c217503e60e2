#include "identification/PartDigests.h"

#include "identification/ByteText.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <nettle/md5.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const int kReadUnit = 1024;
// stdio's own buffer; the digest still takes the bytes 1024 at a time, but
// the system is asked for them in larger pieces.
const size_t kStreamBuffer = 64 * 1024;

} // namespace

int32_t DigestStream(FILE* theStream, char* pDigest)
{
    md5_ctx context;
    md5_init(&context);
    int64_t count = 0;
    uint8_t piece[kReadUnit];
    for (;;) {
        const size_t got = std::fread(piece, 1, kReadUnit, theStream);
        if (got == 0)
            break;
        count += static_cast<int64_t>(got);
        md5_update(&context, got, piece);
    }
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&context, MD5_DIGEST_SIZE, digest);
    WriteHex(reinterpret_cast<const char*>(digest), MD5_DIGEST_SIZE, pDigest);
    // Parts of 2 GiB or more are not supported; the count saturates rather than wraps.
    return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

FILE* OpenPartFile(const char* thePath)
{
    // A pipe would block the scan for good and a device may never end:
    // opening without blocking lets them be refused before anything is read.
    const int descriptor = thePath ? open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (descriptor < 0)
        return nullptr;
    struct stat info;
    FILE* file = nullptr;
    if (fstat(descriptor, &info) == 0 && (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        && fcntl(descriptor, F_SETFL, 0) == 0)
        file = fdopen(descriptor, "r");
    if (!file)
        close(descriptor);
    return file;
}

int32_t DigestFile(const char* thePath, char* pDigest)
{
    std::unique_ptr<char[]> buffer(new char[kStreamBuffer]);
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenPartFile(thePath), std::fclose);
    if (!file)
        return 0;
    std::setvbuf(file.get(), buffer.get(), _IOFBF, kStreamBuffer);
    return DigestStream(file.get(), pDigest);
}

int32_t DigestResourceFork(const char*, char*)
{
    return 0;
}

void DigestFiles(const CStringArray& theFiles, std::vector<PartDigest>& theDigests)
{
    const int count = theFiles.GetCount();
    theDigests.assign(static_cast<size_t>(count), PartDigest());
    std::atomic<int> next { 0 };
    auto work = [&]() {
        for (int i = next++; i < count; i = next++)
            theDigests[i].itsSize = DigestFile(theFiles.At(i).GetText(), theDigests[i].itsText);
    };
    const int helpers
        = std::min(count, static_cast<int>(std::min(4u, std::thread::hardware_concurrency()))) - 1;
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
}
