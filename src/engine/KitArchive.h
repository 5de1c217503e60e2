#pragma once

#include <csignal>
#include <cstdint>
#include <string>

// A kit archive: a kit folder packed as a gzip-compressed tar file
// (KIT.pwkit). It comes from anywhere a user downloads things, so it is read
// with the care of the update archive: only files and folders, names that
// stay beneath the destination and name each item once, and bounded in
// entries and bytes.
constexpr char kKitArchiveExtension[] = ".pwkit";

struct KitArchiveLimits {
    // A kit holds the updater, its launcher, the update archive, two texts
    // and some help pages: tens of entries. Thousands mean something else.
    uint32_t itsEntries = 4096;
    // The whole kit unpacked, the update archive of a full build included;
    // checked against each entry's declared size before it is written.
    uint64_t itsBytes = uint64_t(4) << 30;
};

// Unpacks the archive read from theArchive (a descriptor) into theFolder (a
// descriptor of an empty folder). Files get mode 0600 and folders 0700:
// nothing in a kit is run from there, and nobody else needs to read it.
// Stops when *pStop becomes non-zero. false with theProblem naming the check
// that failed and the entry, e.g. "'kit/x' is a symbolic link; a kit archive
// holds only files and folders"; what was unpacked until then is left for
// the caller to remove.
bool UnpackKitArchive(int theArchive, int theFolder, const KitArchiveLimits& theLimits,
    const volatile std::sig_atomic_t* pStop, std::string& theProblem);
