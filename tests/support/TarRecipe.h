#pragma once

// Tar archives written header by header, so that a test can hold what no
// well-behaved writer makes: links, devices, names that lead outside, sizes
// that the data does not back.

#include <cstdint>
#include <string>
#include <vector>

struct TarMember {
    std::string itsName;
    char itsType = '0'; // '0' file, '5' folder, '2' symbolic link, '1' hard link, '3' device, '6' FIFO
    std::string itsData {}; // a file's bytes
    std::string itsLink {}; // a link's target
    // The size the header declares (below 8 GiB, as ustar holds it); -1: that
    // of itsData. Only itsData is written.
    int64_t itsDeclaredSize = -1;
};

// The members as a ustar stream with its end blocks.
std::string TarBytes(const std::vector<TarMember>& theMembers);
// The same, compressed with gzip into thePath.
bool WriteTarGz(const std::string& thePath, const std::vector<TarMember>& theMembers);
