#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

// The room an update run takes on the target's file system, in the units the
// file system counts: blocks and inodes. It counts everything the run writes
// there: the archive's files and folders, staged first and then moved into
// folders that grow by their names; the log's line for every entry; the
// journal's record for every item; and a margin for the blocks no count
// foresees (directory indexes, extent trees). An archive can claim sizes near
// 2^64, so no sum may wrap: one that would stays at UINT64_MAX.
class CUpdateRoom {
public:
    // theTargetLength and theArchiveLength: of the paths the log names.
    CUpdateRoom(uint64_t theBlockSize, size_t theTargetLength, size_t theArchiveLength);

    // One entry of the archive by its mapped name (a folder's ends in "/")
    // and the size it unpacks to.
    void Count(const std::string& theName, uint64_t theSize);

    uint64_t Blocks() const;
    // Blocks() in bytes; UINT64_MAX when that many bytes cannot be counted.
    uint64_t Bytes() const;
    uint64_t Inodes() const;

private:
    // A new file or folder: a name in its parent folder, a journal record.
    void AddItem(const std::string& thePath);

    uint64_t itsBlockSize;
    size_t itsTargetLength;
    uint64_t itsFileBlocks = 0;
    uint64_t itsItems = 0;
    uint64_t itsLogBytes;
    uint64_t itsJournalBytes;
    // Every folder the archive makes ("" the top one), and the bytes its
    // entries take in it.
    std::unordered_map<std::string, uint64_t> itsFolderBytes;
};

// Sums and products that stay at UINT64_MAX instead of wrapping.
uint64_t SaturatedSum(uint64_t theLeft, uint64_t theRight);
uint64_t SaturatedProduct(uint64_t theLeft, uint64_t theRight);
