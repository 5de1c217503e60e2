#include "support/ZipRecipe.h"

#include "support/ZipFixtures.h"

#include <zlib.h>

std::string Deflate(const std::string& theData)
{
    z_stream stream {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, theData.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(theData.data()));
    stream.avail_in = static_cast<uInt>(theData.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

namespace {

constexpr uint32_t kMarker = 0xFFFFFFFFu;

std::string Zip64Extra(uint64_t theSize, uint64_t theCompressedSize, const uint64_t* pOffset)
{
    std::string field;
    Put16(field, 1);
    Put16(field, pOffset ? 24 : 16);
    Put64(field, theSize);
    Put64(field, theCompressedSize);
    if (pOffset)
        Put64(field, *pOffset);
    return field;
}

} // namespace

std::string BuildZip(const ZipRecipe& theRecipe)
{
    std::string out;
    std::string directory;
    for (const ZipRecipeEntry& entry : theRecipe.itsEntries) {
        const uint64_t offset = out.size();
        const uint32_t crc = Crc32(entry.itsData) ^ entry.itsCrcDamage;
        const uint64_t size
            = static_cast<uint64_t>(static_cast<int64_t>(entry.itsData.size()) + entry.itsSizeDamage);
        std::string stored = !entry.itsStored.empty() ? entry.itsStored
            : entry.itsMethod == 8                    ? Deflate(entry.itsData)
                                                      : entry.itsData;
        uint16_t flags = entry.itsMoreFlags;
        if (entry.bEncrypted) {
            const auto check
                = static_cast<unsigned char>(entry.bDescriptor ? entry.itsDosTime >> 8 : crc >> 24);
            stored = Encrypt(stored, theRecipe.itsPassword, check);
            flags |= 1;
        }
        if (entry.bDescriptor)
            flags |= 8;
        const uint64_t storedSize = stored.size();
        const std::string& localName = entry.itsLocalName.empty() ? entry.itsName : entry.itsLocalName;

        const auto header = [&](std::string& theOut, bool bCentral) {
            const bool bDeferred = !bCentral && entry.bDescriptor;
            const uint64_t* offsetInExtra = bCentral || entry.bLocalZip64Offset ? &offset : nullptr;
            const std::string extra
                = entry.bZip64 && !bDeferred ? Zip64Extra(size, storedSize, offsetInExtra) : "";
            const std::string& name = bCentral ? entry.itsName : localName;
            Put32(theOut, bCentral ? 0x02014b50 : 0x04034b50);
            if (bCentral)
                Put16(theOut, entry.bZip64 ? 45 : 20);
            for (uint32_t value :
                { entry.bZip64 ? 45u : 20u, uint32_t { flags }, uint32_t { entry.itsMethod },
                    uint32_t { entry.itsDosTime }, uint32_t { entry.itsDosDate } })
                Put16(theOut, value);
            Put32(theOut, bDeferred ? 0 : crc);
            Put32(theOut, bDeferred ? 0 : entry.bZip64 ? kMarker : static_cast<uint32_t>(storedSize));
            Put32(theOut, bDeferred ? 0 : entry.bZip64 ? kMarker : static_cast<uint32_t>(size));
            Put16(theOut, static_cast<uint32_t>(name.size()));
            Put16(theOut, static_cast<uint32_t>(extra.size()));
            if (bCentral) {
                for (uint32_t value : { static_cast<uint32_t>(entry.itsComment.size()), 0u, 0u })
                    Put16(theOut, value);
                Put32(theOut, 0);
                Put32(theOut, entry.bZip64 ? kMarker : static_cast<uint32_t>(offset));
            }
            theOut += name + extra + (bCentral ? entry.itsComment : "");
        };
        header(out, false);
        out += stored;
        if (entry.bDescriptor) {
            Put32(out, 0x08074b50);
            Put32(out, crc);
            Put32(out, static_cast<uint32_t>(storedSize));
            Put32(out, static_cast<uint32_t>(size));
        }
        header(directory, true);
    }

    const uint64_t directoryOffset = out.size();
    const uint64_t count = theRecipe.itsEntries.size();
    out += directory;
    if (theRecipe.bZip64End) {
        const uint64_t endOffset = out.size();
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        for (uint64_t value : { count, count, uint64_t { directory.size() }, directoryOffset })
            Put64(out, value);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, endOffset);
        Put32(out, 1);
    }
    const size_t commentLength = theRecipe.itsComment.size();
    out += theRecipe.bZip64End ? EndRecord(0xFFFF, kMarker, kMarker, commentLength)
                               : EndRecord(count, directory.size(), directoryOffset, commentLength);
    return out + theRecipe.itsComment;
}

std::string EndRecord(uint64_t theCount, uint64_t theSize, uint64_t theOffset, size_t theCommentLength)
{
    std::string record;
    Put32(record, 0x06054b50);
    for (uint32_t value : { 0u, 0u, static_cast<uint32_t>(theCount), static_cast<uint32_t>(theCount) })
        Put16(record, value);
    Put32(record, static_cast<uint32_t>(theSize));
    Put32(record, static_cast<uint32_t>(theOffset));
    Put16(record, static_cast<uint32_t>(theCommentLength));
    return record;
}

ZipRecipeEntry StoredEntry(const std::string& theName, const std::string& theData)
{
    ZipRecipeEntry entry;
    entry.itsName = theName;
    entry.itsData = theData;
    return entry;
}
