#include "platform/SystemServices.h"

#include <cstdio>

namespace {

struct ErrorEntry {
    short code;
    const char* text;
};

// The host file system's error codes: the update log reports failures in
// these terms, whatever system the updater runs on.
const ErrorEntry kErrorTexts[] = {
    { -28, "AppleTalk is not open" },
    { -33, "File directory full" },
    { -34, "Volume is full" },
    { -35, "Volume not found" },
    { -36, "I/O Error" },
    { -37, "Bad filename or volume name" },
    { -38, "File not open" },
    { -39, "Logical end-of-file reached" },
    { -40, "Attempt to position mark before start-of-file" },
    { -42, "Too many files open" },
    { -43, "File not found" },
    { -44, "Hardware volume lock" },
    { -45, "File is locked" },
    { -46, "Software volume lock" },
    { -47, "Directory in use" },
    { -48, "File already exists" },
    { -49, "File already open for writing" },
    { -50, "Parameter error" },
    { -51, "Bad reference number" },
    { -52, "Error during GetFPos" },
    { -53, "Volume is offline" },
    { -54, "Attempt to open locked file for writing" },
    { -55, "Volume is already mounted and online" },
    { -56, "Drive number doesn't match number in drive queue" },
    { -57, "Volume is not Macintosh format directory" },
    { -58, "External file system" },
    { -59, "Problem during rename" },
    { -60, "Bad master directory block" },
    { -61, "Read/write permission doesn't allow writing" },
    { -108, "Insufficient memory available" },
    { -120, "Directory not found" },
    { -121, "Too many working directories open" },
    { -122, "Attempted to move into offspring" },
    { -123, "Not an HFS volume" },
    { -124, "Server volume has been disconnected" },
    { -127, "Internal file system error" },
    { -1300, "File ID not found" },
    { -1301, "File ID already exists" },
    { -1302, "Specified file is a directory" },
    { -1303, "File are on different volumes" },
    { -1304, "Catalog has changed and position record may have moved" },
    { -1306, "Files are the same" },
    { -1401, "FSRef Parameter was invalid" },
    { -1402, "Supplied fork name was invalid" },
    { -1403, "Non-optional buffer pointer was NULL or size invalid" },
    { -1404, "File ref num does not correspond to an open fork" },
    { -1405, "FS Cat or Volume Bitmap has reserved/undefined bits set" },
    { -1406, "FS Cat Info Bitmap pointer is NULL" },
    { -1407, "Parameter expected to identify a folder but didn't" },
    { -1409, "Attempt to specify of file or dir but it doesn't exist" },
    { -1410, "File or fork name too long" },
    { -1411, "Required file or fork name too long" },
    { -1412, "Reserved or invalid bit set in positionMode field" },
    { -1413, "Reserved or invalid bit set in FSAllocationFlags" },
    { -1417, "No more items when iterating directory or volume" },
    { -1418, "maximumObjects was zero" },
    { -1419, "Search criteria invalid or inconsistent" },
    { -1420, "Two FSRef's are for different files or directories" },
    { -1421, "Attempt to create a fork that already exists" },
    { -1422, "Flags passed to FSOpenIterator invalid" },
    { -1423, "FSIterator parm not an open iterator" },
    { -1424, "Iterator flags or container of FSIterator not supported" },
    { -5000, "Access denied, user does not have correct access to file or folder" },
    { -5002, "User authentication method is unknown" },
    { -5003, "Workstation using AFP version server doesn't recognize" },
    { -5006, "Permission or deny mode conficts with open mode of fork" },
    { -5015, "Byte range lock failed, server can't lock any more" },
    { -5016, "Server not responding" },
    { -5020, "Attempt to lock range that was not locked" },
    { -5021, "Attempt to lock range that is already locked" },
    { -5023, "User authentication failed (Bad Password?)" },
    { -5025, "Object not a directory or directory not share point" },
    { -5033, "Directory contains a share point" },
    { -5034, "File ID not found" },
    { -5035, "File ID already exists" },
    { -5037, "Catalog has changed, search cannot resume" },
    { -5038, "Source and destination are the same" },
    { -5039, "Bad File ID" },
    { -5042, "Password expired on server" },
    { -5043, "Directory inside a shared directory" },
    { -5060, "Not a fixed directory ID volume" },
    { -5061, "Maximum number of volumes already mounted" },
    { -5062, "Volume already mounted" },
    { -5063, "Attempt to log on server running on same machine" },
    { 0, "No Error" },
    { 0, nullptr },
};

} // namespace

const char* ErrorText(int theCode)
{
    static char result[128];
    const ErrorEntry* entry = kErrorTexts;
    while (entry->text && entry->code != theCode)
        ++entry;
    std::snprintf(
        result, sizeof result, "(%d) %s", theCode, entry->text ? entry->text : "Unknown error code");
    return result;
}
