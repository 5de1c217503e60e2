#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// The fixed layout of a zip file's records and the checks that every reader
// of them shares. Multi-byte fields are little-endian and may sit at any
// alignment.

namespace zip_records {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kMaxCommentLength = 0xFFFF;

constexpr uint16_t kZip64ExtraId = 0x0001;

constexpr uint16_t kFlagEncrypted = 1u << 0;
constexpr uint16_t kFlagDataDescriptor = 1u << 3;
constexpr uint16_t kFlagStrongEncryption = 1u << 6;
constexpr uint16_t kFlagUtf8 = 1u << 11;

inline uint16_t Get16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Get32(const unsigned char* p)
{
    return static_cast<uint32_t>(Get16(p)) | (static_cast<uint32_t>(Get16(p + 2)) << 16);
}

inline uint64_t Get64(const unsigned char* p)
{
    return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

// The values a zip64 extra field replaces: each one present in the field only
// when the header holds its 32-bit (or, for the disk, 16-bit) marker.
struct CZip64Values {
    uint64_t itsSize = 0;
    uint64_t itsCompressedSize = 0;
    uint64_t itsOffset = 0;
    uint32_t itsDisk = 0;
};

enum class HeaderKind { kLocal, kCentral };

// Checks that the extra fields tile their block (a tail of fewer than four
// zero bytes is padding some tools add) and, when any of theValues holds its
// marker, reads the zip64 field into them. A local header's field may also
// hold the offset, which must then be theValues.itsOffset, the header's own.
// 0, or libzip's code for the fault with theFault saying which check failed.
int ReadExtraFields(const unsigned char* pExtra, size_t theLength, HeaderKind theKind,
    CZip64Values& theValues, const char*& theFault);

// A name or comment flagged as UTF-8 must be well-formed UTF-8 without
// control characters but tab, line feed and carriage return.
bool IsStrictUtf8(const unsigned char* pText, size_t theLength);

// The local time a DOS date and time stand for, as mktime gives it; and back.
time_t DosToTime(uint16_t theTime, uint16_t theDate);
uint16_t TimeToDosTime(time_t theTime);

} // namespace zip_records
