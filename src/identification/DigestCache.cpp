#include "identification/DigestCache.h"

#include "foundation/ProgramFolders.h"
#include "foundation/RegularFile.h"
#include "foundation/UserFolders.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <nettle/md5.h>
#include <unistd.h>

namespace {

// The file: this mark, the number of entries, the entries, and the MD5 of all
// that before it. Numbers are little-endian whatever the machine, so a cache
// carried to another one reads back as itself or not at all.
const char kMark[8] = { 'P', 'W', 'D', 'I', 'G', 'C', '0', '1' };
const size_t kDigestChars = 32;
// device, inode, size, modified, changed, read start; the part's size; its digest text
const size_t kEntryBytes = 6 * 8 + 4 + kDigestChars;
const size_t kHeadBytes = sizeof kMark + 8;

std::atomic<CDigestCache*> gScanCache { nullptr };

void Put(std::string& theOut, uint64_t theValue, int theBytes)
{
    for (int i = 0; i < theBytes; ++i)
        theOut.push_back(static_cast<char>((theValue >> (8 * i)) & 0xFF));
}

uint64_t Take(const char*& pAt, int theBytes)
{
    uint64_t value = 0;
    for (int i = 0; i < theBytes; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(pAt[i])) << (8 * i);
    pAt += theBytes;
    return value;
}

void Checksum(const char* theBytes, size_t theCount, uint8_t (&theSum)[MD5_DIGEST_SIZE])
{
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, theCount, reinterpret_cast<const uint8_t*>(theBytes));
    md5_digest(&context, MD5_DIGEST_SIZE, theSum);
}

// As DigestFile writes it: 32 upper-case hexadecimal digits.
bool IsDigestText(const char* theText)
{
    for (size_t i = 0; i < kDigestChars; ++i) {
        const char c = theText[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

int64_t Nanoseconds(const struct timespec& theTime)
{
    return static_cast<int64_t>(theTime.tv_sec) * 1'000'000'000 + theTime.tv_nsec;
}

} // namespace

DigestKey DigestKey::Of(const struct stat& theInfo)
{
    return { static_cast<uint64_t>(theInfo.st_dev), static_cast<uint64_t>(theInfo.st_ino),
        static_cast<int64_t>(theInfo.st_size), Nanoseconds(theInfo.st_mtim), Nanoseconds(theInfo.st_ctim) };
}

size_t CDigestCache::KeyHash::operator()(const std::pair<uint64_t, uint64_t>& theId) const
{
    return std::hash<uint64_t>()(theId.second * 0x9E3779B97F4A7C15ull ^ theId.first);
}

bool CDigestCache::Settled(const DigestKey& theKey, int64_t theReadStart)
{
    // The file's times and the clock may step by a whole granule; only a
    // change well before the read is sure to move the key if it happens again.
    return theKey.itsChanged < theReadStart - kSettleNanoseconds && theKey.itsSize >= 0
        && theKey.itsSize <= INT32_MAX;
}

bool CDigestCache::Lookup(const DigestKey& theKey, PartDigest& theDigest) const
{
    const std::lock_guard<std::mutex> guard(itsLock);
    const auto found = itsEntries.find({ theKey.itsDevice, theKey.itsInode });
    if (found == itsEntries.end() || !(found->second.itsKey == theKey)
        || !Settled(theKey, found->second.itsReadStart))
        return false;
    theDigest = found->second.itsDigest;
    return true;
}

void CDigestCache::Store(const DigestKey& theKey, const PartDigest& theDigest, int64_t theReadStart)
{
    // A digest of fewer bytes than the file holds (a read error) is not the file's.
    if (!Settled(theKey, theReadStart) || theDigest.itsSize != theKey.itsSize
        || std::strlen(theDigest.itsText) != kDigestChars)
        return;
    const std::lock_guard<std::mutex> guard(itsLock);
    const std::pair<uint64_t, uint64_t> id { theKey.itsDevice, theKey.itsInode };
    if (itsEntries.size() >= kMostEntries && itsEntries.find(id) == itsEntries.end())
        itsEntries.erase(itsEntries.begin());
    itsEntries[id] = { theKey, theReadStart, theDigest };
    bChanged = true;
}

size_t CDigestCache::Count() const
{
    const std::lock_guard<std::mutex> guard(itsLock);
    return itsEntries.size();
}

bool CDigestCache::IsChanged() const
{
    const std::lock_guard<std::mutex> guard(itsLock);
    return bChanged;
}

bool CDigestCache::Load(const char* thePath)
{
    const std::lock_guard<std::mutex> guard(itsLock);
    itsEntries.clear();
    bChanged = false;
    itsPath = thePath ? thePath : "";
    std::string bytes;
    int error = 0;
    if (!ReadRegularFile(thePath, kHeadBytes + kMostEntries * kEntryBytes + MD5_DIGEST_SIZE, bytes, error)
        || bytes.size() < kHeadBytes + MD5_DIGEST_SIZE || std::memcmp(bytes.data(), kMark, sizeof kMark) != 0)
        return false;
    const char* at = bytes.data() + sizeof kMark;
    const uint64_t count = Take(at, 8);
    if (count > kMostEntries || bytes.size() != kHeadBytes + count * kEntryBytes + MD5_DIGEST_SIZE)
        return false;
    uint8_t sum[MD5_DIGEST_SIZE];
    Checksum(bytes.data(), bytes.size() - MD5_DIGEST_SIZE, sum);
    if (std::memcmp(sum, bytes.data() + bytes.size() - MD5_DIGEST_SIZE, MD5_DIGEST_SIZE) != 0)
        return false;

    decltype(itsEntries) entries;
    for (uint64_t i = 0; i < count; ++i) {
        Entry entry {};
        entry.itsKey.itsDevice = Take(at, 8);
        entry.itsKey.itsInode = Take(at, 8);
        entry.itsKey.itsSize = static_cast<int64_t>(Take(at, 8));
        entry.itsKey.itsModified = static_cast<int64_t>(Take(at, 8));
        entry.itsKey.itsChanged = static_cast<int64_t>(Take(at, 8));
        entry.itsReadStart = static_cast<int64_t>(Take(at, 8));
        entry.itsDigest.itsSize = static_cast<int32_t>(static_cast<uint32_t>(Take(at, 4)));
        std::memcpy(entry.itsDigest.itsText, at, kDigestChars);
        at += kDigestChars;
        // Whatever the sum says, an entry this class would not have stored
        // means the file is not what it wrote.
        if (!IsDigestText(entry.itsDigest.itsText) || entry.itsDigest.itsSize != entry.itsKey.itsSize
            || !Settled(entry.itsKey, entry.itsReadStart)
            || !entries.emplace(std::pair { entry.itsKey.itsDevice, entry.itsKey.itsInode }, entry).second)
            return false;
    }
    itsEntries.swap(entries);
    return true;
}

bool CDigestCache::Save(const char* thePath)
{
    std::string bytes(kMark, sizeof kMark);
    {
        const std::lock_guard<std::mutex> guard(itsLock);
        bytes.reserve(kHeadBytes + itsEntries.size() * kEntryBytes + MD5_DIGEST_SIZE);
        Put(bytes, itsEntries.size(), 8);
        for (const auto& [id, entry] : itsEntries) {
            for (const uint64_t value :
                { entry.itsKey.itsDevice, entry.itsKey.itsInode, static_cast<uint64_t>(entry.itsKey.itsSize),
                    static_cast<uint64_t>(entry.itsKey.itsModified),
                    static_cast<uint64_t>(entry.itsKey.itsChanged),
                    static_cast<uint64_t>(entry.itsReadStart) })
                Put(bytes, value, 8);
            Put(bytes, static_cast<uint32_t>(entry.itsDigest.itsSize), 4);
            bytes.append(entry.itsDigest.itsText, kDigestChars);
        }
        bChanged = false;
    }
    uint8_t sum[MD5_DIGEST_SIZE];
    Checksum(bytes.data(), bytes.size(), sum);
    bytes.append(reinterpret_cast<const char*>(sum), MD5_DIGEST_SIZE);

    const std::string path(thePath ? thePath : "");
    const size_t slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos
        || (slash > 0 && !MakeFolders(path.substr(0, slash).c_str())))
        return false;
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t got = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        written += static_cast<size_t>(got);
    }
    // Not synced: a cache lost in a crash costs one start the time it saves.
    const bool bWritten = close(descriptor) == 0 && written == bytes.size();
    if (!bWritten || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void CDigestCache::SaveIfChanged()
{
    std::string path;
    {
        const std::lock_guard<std::mutex> guard(itsLock);
        if (!bChanged || itsPath.empty())
            return;
        path = itsPath;
    }
    Save(path.c_str());
}

std::string CDigestCache::UserCachePath()
{
    const Cstring folder = CacheFolder();
    return folder.IsEmpty() ? std::string() : std::string(Cstring::Path(folder, "digests").GetText());
}

int64_t CDigestCache::Now()
{
    struct timespec now { };
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

CDigestCache* ScanDigestCache()
{
    return gScanCache.load();
}

void SetScanDigestCache(CDigestCache* pCache)
{
    gScanCache.store(pCache);
}
