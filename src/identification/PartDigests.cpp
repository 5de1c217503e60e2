#include "identification/PartDigests.h"

#include "identification/ByteText.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <nettle/md5.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const int kReadUnit = 1024;
// A file is read in blocks of this size straight into the digest: large
// enough that the system calls cost little beside hashing, small enough to
// stay in the processor's cache. The digest does not depend on it.
const size_t kReadBlock = 128 * 1024;

// A descriptor for reading thePath when it is a regular file or a folder
// (whose reads then fail), or -1. A pipe would block the scan for good and a
// device may never end: opening without blocking lets them be refused before
// anything is read. Regular files and folders ignore the flag.
int OpenPart(const char* thePath)
{
    const int descriptor = thePath ? open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    struct stat info;
    if (descriptor >= 0
        && (fstat(descriptor, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

// The byte count, which saturates rather than wraps: parts of 2 GiB or more
// are not supported.
int32_t ByteCount(int64_t theCount)
{
    return theCount > INT32_MAX ? INT32_MAX : static_cast<int32_t>(theCount);
}

void WriteDigest(md5_ctx& theContext, char* pDigest)
{
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&theContext, MD5_DIGEST_SIZE, digest);
    WriteHex(reinterpret_cast<const char*>(digest), MD5_DIGEST_SIZE, pDigest);
}

// DigestFile with theBlock (kReadBlock bytes) to read into. A read error
// ends the part: the digest covers the bytes read before it.
int32_t DigestPath(const char* thePath, char* pDigest, uint8_t* theBlock)
{
    const int descriptor = OpenPart(thePath);
    if (descriptor < 0)
        return 0;
    // Doubles the kernel's read-ahead when the files are not cached yet.
    posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    md5_ctx context;
    md5_init(&context);
    int64_t count = 0;
    for (;;) {
        const ssize_t got = read(descriptor, theBlock, kReadBlock);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        count += got;
        md5_update(&context, static_cast<size_t>(got), theBlock);
    }
    close(descriptor);
    WriteDigest(context, pDigest);
    return ByteCount(count);
}

// One read block per worker, so that the digests share no memory.
std::unique_ptr<uint8_t[]> NewReadBlock()
{
    return std::unique_ptr<uint8_t[]>(new uint8_t[kReadBlock]);
}

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
    WriteDigest(context, pDigest);
    return ByteCount(count);
}

FILE* OpenPartFile(const char* thePath)
{
    const int descriptor = OpenPart(thePath);
    if (descriptor < 0)
        return nullptr;
    FILE* file = fcntl(descriptor, F_SETFL, 0) == 0 ? fdopen(descriptor, "r") : nullptr;
    if (!file)
        close(descriptor);
    return file;
}

int32_t DigestFile(const char* thePath, char* pDigest)
{
    return DigestPath(thePath, pDigest, NewReadBlock().get());
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
        const std::unique_ptr<uint8_t[]> block = NewReadBlock();
        for (int i = next++; i < count; i = next++)
            theDigests[i].itsSize = DigestPath(theFiles.At(i).GetText(), theDigests[i].itsText, block.get());
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
