#include "support/ZipFixtures.h"

#include "engine/UpdateKit.h"
#include "support/TreeSnapshot.h"
#include "support/ZipRecipe.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <utime.h>
#include <zlib.h>

namespace {

uint32_t CrcStep(uint32_t theCrc, unsigned char theByte)
{
    theCrc ^= theByte;
    for (int bit = 0; bit < 8; ++bit)
        theCrc = (theCrc >> 1) ^ (0xEDB88320u & (0u - (theCrc & 1u)));
    return theCrc;
}

} // namespace

void Put16(std::string& theOut, uint32_t theValue)
{
    theOut += static_cast<char>(theValue & 0xFF);
    theOut += static_cast<char>((theValue >> 8) & 0xFF);
}

void Put32(std::string& theOut, uint32_t theValue)
{
    Put16(theOut, theValue & 0xFFFF);
    Put16(theOut, theValue >> 16);
}

void Put64(std::string& theOut, uint64_t theValue)
{
    Put32(theOut, static_cast<uint32_t>(theValue));
    Put32(theOut, static_cast<uint32_t>(theValue >> 32));
}

void Patch16(std::string& theBytes, size_t theAt, uint32_t theValue)
{
    std::string field;
    Put16(field, theValue);
    theBytes.replace(theAt, 2, field);
}

void Patch32(std::string& theBytes, size_t theAt, uint32_t theValue)
{
    std::string field;
    Put32(field, theValue);
    theBytes.replace(theAt, 4, field);
}

uint32_t Crc32(const std::string& theData)
{
    return crc32(0, reinterpret_cast<const Bytef*>(theData.data()), static_cast<uInt>(theData.size()));
}

// Written bit by bit, apart from the reader's table-driven cipher, so that a
// fault in one does not hide in the other.
std::string Encrypt(const std::string& theData, const std::string& thePassword, unsigned char theCheck)
{
    uint32_t keys[3] = { 0x12345678u, 0x23456789u, 0x34567890u };
    const auto update = [&keys](unsigned char theByte) {
        keys[0] = CrcStep(keys[0], theByte);
        keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
        keys[2] = CrcStep(keys[2], static_cast<unsigned char>(keys[1] >> 24));
    };
    for (unsigned char byte : thePassword)
        update(byte);
    std::string plain(11, '\x5A');
    plain += static_cast<char>(theCheck);
    plain += theData;
    std::string out;
    for (unsigned char byte : plain) {
        const uint32_t temp = (keys[2] & 0xFFFF) | 2;
        out += static_cast<char>(byte ^ static_cast<unsigned char>((temp * (temp ^ 1)) >> 8));
        update(byte);
    }
    return out;
}

// The same bytes a recipe of stored entries gives: the reader's tests and the
// extraction's share one writer.
std::string RawZip(const std::vector<RawZipEntry>& theEntries, const std::string& thePassword)
{
    ZipRecipe recipe { {}, thePassword, false, "" };
    for (const RawZipEntry& entry : theEntries) {
        ZipRecipeEntry stored = StoredEntry(entry.itsName, entry.itsData);
        stored.itsCrcDamage = entry.bBadCrc ? 1u : 0u;
        stored.bEncrypted = !thePassword.empty() && !entry.itsData.empty();
        recipe.itsEntries.push_back(stored);
    }
    return BuildZip(recipe);
}

std::string RandomBytes(size_t theCount, unsigned theSeed, unsigned theRange)
{
    std::mt19937 generator(theSeed);
    std::string bytes(theCount, 0);
    for (char& byte : bytes)
        byte = static_cast<char>(generator() % theRange);
    return bytes;
}

std::string KeyText()
{
    Cstring key;
    BuildDataKeyText(key);
    return key.GetText();
}

int PackArchive(const std::string& theArchive, const std::string& theFolder)
{
    return RunProgram(ProgramFromEnvironment("PW_PACK") + " archive " + ShellQuote(theArchive) + " "
        + ShellQuote(theFolder))
        .status;
}

time_t LocalTime(int theYear, int theMonth, int theDay, int theHour, int theMinute, int theSecond)
{
    struct tm parts = {};
    parts.tm_year = theYear - 1900;
    parts.tm_mon = theMonth - 1;
    parts.tm_mday = theDay;
    parts.tm_hour = theHour;
    parts.tm_min = theMinute;
    parts.tm_sec = theSecond;
    parts.tm_isdst = -1;
    return mktime(&parts);
}

void SetFileDate(const std::string& thePath, time_t theDate)
{
    const struct utimbuf times = { theDate, theDate };
    utime(thePath.c_str(), &times);
}

time_t FileDate(const std::string& thePath)
{
    struct stat info;
    return stat(thePath.c_str(), &info) == 0 ? info.st_mtime : -1;
}

std::vector<std::string> ListTree(const std::string& theFolder)
{
    std::vector<std::string> paths;
    for (const auto& [path, what] : SnapshotTree(theFolder))
        paths.push_back(std::filesystem::is_directory(theFolder + "/" + path) ? path + "/" : path);
    std::sort(paths.begin(), paths.end());
    return paths;
}
