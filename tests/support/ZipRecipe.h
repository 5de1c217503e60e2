#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Archives built field by field, for the cases a reader must get right that
// well-behaved tools seldom write: zip64 records, data descriptors, the
// password check by time, damaged values.

struct ZipRecipeEntry {
    std::string itsName;
    std::string itsData;
    uint16_t itsMethod = 0; // 8 deflates the data; any other value stores it as given
    bool bEncrypted = false; // with the archive's password
    // Flag bit 3: the local header leaves CRC and sizes at zero, a
    // descriptor follows the data, and the password check uses the time.
    bool bDescriptor = false;
    bool bZip64 = false; // sizes and offset in zip64 extra fields
    bool bLocalZip64Offset = false; // with bZip64, the local field records the offset too
    uint16_t itsMoreFlags = 0; // set in both headers
    uint32_t itsCrcDamage = 0; // xor-ed into the recorded CRC
    int64_t itsSizeDamage = 0; // added to the recorded size
    std::string itsLocalName; // when not empty, the local header's name
    std::string itsComment; // the directory record's
    std::string itsStored; // when not empty, stored in place of the (deflated) data
    uint16_t itsDosTime = (12u << 11) | (30u << 5);
    uint16_t itsDosDate = ((2015u - 1980u) << 9) | (6u << 5) | 15u;
};

struct ZipRecipe {
    std::vector<ZipRecipeEntry> itsEntries;
    std::string itsPassword;
    bool bZip64End = false; // zip64 end record and locator before the end record
    std::string itsComment;
};

std::string BuildZip(const ZipRecipe& theRecipe);

// The 32-bit end record of a directory of theCount entries and theSize bytes
// at theOffset, whose comment of theCommentLength bytes is left to follow.
std::string EndRecord(uint64_t theCount, uint64_t theSize, uint64_t theOffset, size_t theCommentLength);

// An entry that stores theData as it is, with every other field's default.
ZipRecipeEntry StoredEntry(const std::string& theName, const std::string& theData);

// Raw deflate of theData, as zip stores it.
std::string Deflate(const std::string& theData);
