#pragma once

#include "support/RunProgram.h" // ShellQuote

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Archives and folders for the extraction tests, made at test time.

struct RawZipEntry {
    std::string itsName;
    std::string itsData;
    bool bBadCrc = false;
};

// A zip file, entries stored, with names taken exactly as given: the way to
// make the archives no well-behaved tool would write. With a password, every
// entry that holds data gets the traditional zip encryption.
std::string RawZip(const std::vector<RawZipEntry>& theEntries, const std::string& thePassword = "");

// Little-endian fields, appended.
void Put16(std::string& theOut, uint32_t theValue);
void Put32(std::string& theOut, uint32_t theValue);
void Put64(std::string& theOut, uint64_t theValue);
// Little-endian fields, written over theBytes at theAt.
void Patch16(std::string& theBytes, size_t theAt, uint32_t theValue);
void Patch32(std::string& theBytes, size_t theAt, uint32_t theValue);

uint32_t Crc32(const std::string& theData);
// The traditional zip encryption: a 12-byte header whose last byte is
// theCheck, then the data, each byte mixed into three keys.
std::string Encrypt(const std::string& theData, const std::string& thePassword, unsigned char theCheck);

// theCount bytes of noise below theRange, the same for the same seed.
std::string RandomBytes(size_t theCount, unsigned theSeed, unsigned theRange = 256);

// The key text the updater uses as the archive password.
std::string KeyText();

// patchwell-pack archive theArchive theFolder; its exit status.
int PackArchive(const std::string& theArchive, const std::string& theFolder);

time_t LocalTime(int theYear, int theMonth, int theDay, int theHour, int theMinute, int theSecond);
void SetFileDate(const std::string& thePath, time_t theDate);
time_t FileDate(const std::string& thePath);
// Every path under theFolder, relative, folders with a trailing "/", sorted.
std::vector<std::string> ListTree(const std::string& theFolder);
