#include "engine/UpdateRoom.h"

namespace {

// "ExtractOneFile - " before the target's path, then "/", the name and "\n".
const uint64_t kLogLineBytes = 17 + 2;
// The log's other lines: opening the archive, dating and checking the new
// bundle, up to 25 attempts at a backup name and the closing lines, each
// naming one or two paths in the target.
const uint64_t kLogLinesBeyondEntries = 28;
const uint64_t kLogLineText = 96;
// The journal's first line and its records for the staging folder, the
// moves aside and the commit.
const uint64_t kJournalFixedBytes = 1024;
// A record names the item once, each byte escaped to three at worst, beside
// its kind ("exchange") and an inode number.
const uint64_t kJournalRecordBytes = 9 + 1 + 20 + 1;
const uint64_t kJournalEscape = 3;
// "." and "..", then per name the entry header and the name, to 4 bytes.
const uint64_t kFolderOwnBytes = 24;
const uint64_t kEntryHeaderBytes = 8;
// The staging folder, the log, the journal and the lock file; and a few to spare.
const uint64_t kOwnInodes = 4 + 4;
// A block of the target folder for the names of ours, then the margin.
const uint64_t kOwnBlocks = 1;
const uint64_t kSpareBlocks = 16;
const uint64_t kSpareShare = 32; // 1/32 of all, about 3%

uint64_t BlocksOf(uint64_t theBytes, uint64_t theBlockSize)
{
    return theBytes / theBlockSize + (theBytes % theBlockSize != 0);
}

uint64_t EntryBytes(size_t theNameLength)
{
    return (kEntryHeaderBytes + theNameLength + 3) & ~uint64_t { 3 };
}

} // namespace

uint64_t SaturatedSum(uint64_t theLeft, uint64_t theRight)
{
    uint64_t sum;
    return __builtin_add_overflow(theLeft, theRight, &sum) ? UINT64_MAX : sum;
}

uint64_t SaturatedProduct(uint64_t theLeft, uint64_t theRight)
{
    uint64_t product;
    return __builtin_mul_overflow(theLeft, theRight, &product) ? UINT64_MAX : product;
}

CUpdateRoom::CUpdateRoom(uint64_t theBlockSize, size_t theTargetLength, size_t theArchiveLength)
    : itsBlockSize(theBlockSize > 0 ? theBlockSize : 4096)
    , itsTargetLength(theTargetLength)
    , itsLogBytes(theArchiveLength + kLogLinesBeyondEntries * (2 * theTargetLength + kLogLineText))
    , itsJournalBytes(kJournalFixedBytes)
{
    itsFolderBytes.emplace("", 0);
}

void CUpdateRoom::Count(const std::string& theName, uint64_t theSize)
{
    itsLogBytes = SaturatedSum(itsLogBytes, kLogLineBytes + itsTargetLength + theName.size());
    for (size_t at = theName.find('/'); at != std::string::npos; at = theName.find('/', at + 1)) {
        std::string folder = theName.substr(0, at);
        if (itsFolderBytes.emplace(folder, 0).second)
            AddItem(folder);
    }
    if (theName.empty() || theName.back() == '/')
        return;
    const uint64_t blocks = BlocksOf(theSize, itsBlockSize);
    // Large files need blocks that map their data, too.
    itsFileBlocks = SaturatedSum(itsFileBlocks, SaturatedSum(blocks, blocks / 512));
    AddItem(theName);
}

void CUpdateRoom::AddItem(const std::string& thePath)
{
    ++itsItems;
    const size_t slash = thePath.rfind('/');
    const std::string parent = slash == std::string::npos ? std::string() : thePath.substr(0, slash);
    const size_t nameLength = slash == std::string::npos ? thePath.size() : thePath.size() - slash - 1;
    uint64_t& bytes = itsFolderBytes[parent];
    bytes = SaturatedSum(bytes, EntryBytes(nameLength));
    itsJournalBytes = SaturatedSum(
        itsJournalBytes, SaturatedSum(kJournalRecordBytes, SaturatedProduct(thePath.size(), kJournalEscape)));
}

uint64_t CUpdateRoom::Blocks() const
{
    uint64_t folderBlocks = 0;
    for (const auto& [folder, bytes] : itsFolderBytes)
        folderBlocks
            = SaturatedSum(folderBlocks, BlocksOf(SaturatedSum(kFolderOwnBytes, bytes), itsBlockSize));
    // The staged folders, and as much again for the installed folders that
    // take their names when they are moved in.
    uint64_t blocks = SaturatedSum(itsFileBlocks, SaturatedProduct(folderBlocks, 2));
    blocks = SaturatedSum(blocks, BlocksOf(itsLogBytes, itsBlockSize));
    blocks = SaturatedSum(blocks, BlocksOf(itsJournalBytes, itsBlockSize));
    blocks = SaturatedSum(blocks, kOwnBlocks);
    return SaturatedSum(blocks, SaturatedSum(blocks / kSpareShare, kSpareBlocks));
}

uint64_t CUpdateRoom::Bytes() const
{
    return SaturatedProduct(Blocks(), itsBlockSize);
}

uint64_t CUpdateRoom::Inodes() const
{
    return SaturatedSum(itsItems, kOwnInodes);
}
