#include "identification/PartDigests.h"

#include "foundation/UsableCores.h"
#include "identification/ByteText.h"
#include "identification/LaneDigester.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <nettle/md5.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const int kReadUnit = 1024;
// DigestFile reads in blocks of this size straight into the digest: large
// enough that the system calls cost little beside hashing, small enough to
// stay in the processor's cache. The digest does not depend on it.
const size_t kReadBlock = 128 * 1024;

void WriteDigest(md5_ctx& theContext, char* pDigest)
{
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&theContext, MD5_DIGEST_SIZE, digest);
    WriteHex(reinterpret_cast<const char*>(digest), MD5_DIGEST_SIZE, pDigest);
}

} // namespace

int OpenPart(const char* thePath)
{
    const int descriptor = thePath ? open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (descriptor < 0)
        return -1;
    // Once it is known to be a file, reads may wait for the disk as usual.
    struct stat info;
    if (fstat(descriptor, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        || fcntl(descriptor, F_SETFL, 0) != 0) {
        close(descriptor);
        return -1;
    }
    // Doubles the kernel's read-ahead when the file is not cached yet.
    posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    return descriptor;
}

int32_t PartSize(int64_t theCount)
{
    return theCount > INT32_MAX ? INT32_MAX : static_cast<int32_t>(theCount);
}

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
    return PartSize(count);
}

FILE* OpenPartFile(const char* thePath)
{
    const int descriptor = OpenPart(thePath);
    if (descriptor < 0)
        return nullptr;
    FILE* file = fdopen(descriptor, "r");
    if (!file)
        close(descriptor);
    return file;
}

int32_t DigestFile(const char* thePath, char* pDigest)
{
    const int descriptor = OpenPart(thePath);
    if (descriptor < 0)
        return 0;
    const std::unique_ptr<uint8_t[]> block(new uint8_t[kReadBlock]);
    md5_ctx context;
    md5_init(&context);
    int64_t count = 0;
    for (;;) {
        const ssize_t got = read(descriptor, block.get(), kReadBlock);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        count += got;
        md5_update(&context, static_cast<size_t>(got), block.get());
    }
    close(descriptor);
    WriteDigest(context, pDigest);
    return PartSize(count);
}

int32_t DigestResourceFork(const char*, char*)
{
    return 0;
}

void DigestFiles(const CStringArray& theFiles, std::vector<PartDigest>& theDigests, CDigestCache* pCache,
    std::stop_token theStop)
{
    const int count = theFiles.GetCount();
    theDigests.assign(static_cast<size_t>(count), PartDigest());
    DigestWork shared(theFiles, theDigests, pCache);
    shared.itsStop = theStop;
    auto work = [&shared]() {
        CLaneDigester digester;
        digester.Run(shared);
    };
    const int helpers = std::min(static_cast<int>(shared.itsOrder.size()), std::min(4, UsableCores())) - 1;
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    if (pCache)
        for (size_t i = 0; i < shared.itsKeyHeld.size(); ++i)
            if (shared.itsKeyHeld[i])
                pCache->Store(shared.itsKeys[i], theDigests[i], shared.itsReadStart);
}
