#pragma once

#include "support/TempFolder.h" // ReadWholeFile

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// What every harness shares: seeds made by code, a private scratch folder, a
// reader that carves an input into values, and the check that stops a run.

// Named seed inputs; a harness hands its own to FuzzInitialize.
using FuzzSeeds = std::vector<std::pair<std::string, std::string>>;

// For LLVMFuzzerInitialize. With "--seeds=DIR" among the arguments, writes
// theSeeds() into DIR (created when missing) and exits, so that each harness
// makes its own starting corpus. Otherwise returns 0 and the run goes on.
int FuzzInitialize(int* pArgc, char*** pArgv, FuzzSeeds (*theSeeds)());
// The LLVMFuzzerInitialize of a harness that needs nothing set up but its seeds.
#define PW_FUZZ_SEEDS(theSeeds)                                                                              \
    extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)                                           \
    {                                                                                                        \
        return FuzzInitialize(pArgc, pArgv, theSeeds);                                                       \
    }

// A fresh folder under $TMPDIR (or /tmp) for the harness's files, removed
// with everything in it when the process ends normally.
const std::filesystem::path& FuzzScratch();

// Writes theBytes to thePath, replacing what was there; ReadWholeFile reads.
void WriteFuzzFile(const std::filesystem::path& thePath, const std::string& theBytes);

// Sends standard error to /dev/null while it lives, for code that reports
// every bad input there.
class CQuietStderr {
public:
    CQuietStderr();
    ~CQuietStderr();
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int itsSaved;
};

// Reads an input front to back. Past the end every value is zero or empty,
// so a harness never has to check the length itself.
class CFuzzInput {
public:
    CFuzzInput(const uint8_t* theData, size_t theSize)
        : itsData(theData)
        , itsSize(theSize)
    {
    }
    bool IsEmpty() const { return itsAt >= itsSize; }
    uint8_t Byte();
    // The bytes up to theEnd (which is consumed), or up to the end of the input.
    std::string Until(char theEnd);
    std::string Rest();

private:
    const uint8_t* itsData;
    size_t itsSize;
    size_t itsAt = 0;
};

// Reports a broken property, with the printf-style message, and aborts so that
// libFuzzer keeps the input.
[[noreturn]] void FuzzFailure(const char* theFile, int theLine, const char* theFormat, ...)
    __attribute__((format(printf, 3, 4)));
#define PW_FUZZ_CHECK(condition, ...) ((condition) ? (void)0 : FuzzFailure(__FILE__, __LINE__, __VA_ARGS__))
