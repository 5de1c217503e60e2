#pragma once

#include "foundation/Arrays.h"
#include "foundation/Cstring.h"

#include <cstdint>
#include <cstdio>
#include <stop_token>
#include <vector>

class CDigestCache;

// Digests of program parts: the MD5 of a part's bytes as 32 upper-case
// hexadecimal characters, and the number of bytes digested.

// Room a caller gives the digest text; it is cleared beforehand, and left
// untouched (so empty) when the part cannot be read.
const int kDigestTextRoom = 40;

// Opens a regular file (or a folder, whose reads then fail) for reading;
// null for anything else, such as a pipe or a device, and on failure.
FILE* OpenPartFile(const char* thePath);
// The same as a descriptor, read-ahead set for reading it through; -1 when
// OpenPartFile gives null. A pipe would block the scan for good and a
// device may never end: they are refused before anything is read.
int OpenPart(const char* thePath);
// A part's byte count, which saturates rather than wraps: parts of 2 GiB or
// more are not supported.
int32_t PartSize(int64_t theCount);

// Digests theStream to its end in 1024-byte reads; writes the digest text
// into pDigest (at least 33 bytes) and returns the byte count.
int32_t DigestStream(FILE* theStream, char* pDigest);
// 0 and pDigest untouched when the file cannot be opened.
int32_t DigestFile(const char* thePath, char* pDigest);
// Linux files have no resource fork: always 0, pDigest untouched.
int32_t DigestResourceFork(const char* thePath, char* pDigest);

// The digest of one part, as DigestFile leaves it.
struct PartDigest {
    int32_t itsSize = 0;
    char itsText[kDigestTextRoom] = {};
};

// DigestFile of every path in theFiles; theDigests[i] belongs to path i. The
// files are shared out among the processor's cores, and each core digests
// several at once (see CLaneDigester): hashing whole bundles is most of
// start-up, and the results do not depend on the order of work. With
// pCache, a file it knows under its present key is not read, and each file
// read whole is remembered there. Once theStop is asked for, no further file
// is opened and the files not yet digested keep their empty digests.
void DigestFiles(const CStringArray& theFiles, std::vector<PartDigest>& theDigests,
    CDigestCache* pCache = nullptr, std::stop_token theStop = {});
