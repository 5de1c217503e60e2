#include "support/TarRecipe.h"

#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace {

void Octal(char* theField, size_t theWidth, uint64_t theValue)
{
    std::snprintf(theField, theWidth, "%0*llo", int(theWidth - 1), static_cast<unsigned long long>(theValue));
}

} // namespace

std::string TarBytes(const std::vector<TarMember>& theMembers)
{
    std::string bytes;
    for (const TarMember& member : theMembers) {
        char header[512] = {};
        std::memcpy(header, member.itsName.data(), std::min<size_t>(member.itsName.size(), 100));
        Octal(header + 100, 8, member.itsType == '5' ? 0755 : 0644);
        Octal(header + 108, 8, 0);
        Octal(header + 116, 8, 0);
        const uint64_t size
            = member.itsDeclaredSize >= 0 ? uint64_t(member.itsDeclaredSize) : member.itsData.size();
        Octal(header + 124, 12, size);
        Octal(header + 136, 12, 1700000000);
        header[156] = member.itsType;
        std::memcpy(header + 157, member.itsLink.data(), std::min<size_t>(member.itsLink.size(), 100));
        std::memcpy(header + 257, "ustar", 6);
        std::memcpy(header + 263, "00", 2);
        std::memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char byte : header)
            sum += byte;
        std::snprintf(header + 148, 8, "%06o", sum);
        bytes.append(header, sizeof header);
        bytes += member.itsData;
        bytes.append((512 - member.itsData.size() % 512) % 512, '\0');
    }
    bytes.append(1024, '\0');
    return bytes;
}

bool WriteTarGz(const std::string& thePath, const std::vector<TarMember>& theMembers)
{
    const std::string bytes = TarBytes(theMembers);
    gzFile file = gzopen(thePath.c_str(), "wb");
    if (!file)
        return false;
    const bool bWritten = gzwrite(file, bytes.data(), unsigned(bytes.size())) == int(bytes.size());
    return gzclose(file) == Z_OK && bWritten;
}
