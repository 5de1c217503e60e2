#include "FuzzSupport.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

int FuzzInitialize(int* pArgc, char*** pArgv, FuzzSeeds (*theSeeds)())
{
    const char kFlag[] = "--seeds=";
    for (int i = 1; i < *pArgc; ++i) {
        const char* argument = (*pArgv)[i];
        if (std::strncmp(argument, kFlag, sizeof kFlag - 1) != 0)
            continue;
        const fs::path folder = argument + sizeof kFlag - 1;
        fs::create_directories(folder);
        const FuzzSeeds seeds = theSeeds();
        for (const auto& [name, bytes] : seeds)
            WriteFuzzFile(folder / name, bytes);
        std::printf("%zu seeds in %s\n", seeds.size(), folder.c_str());
        std::exit(0);
    }
    return 0;
}

const fs::path& FuzzScratch()
{
    static const TempFolder scratch;
    return scratch.Path();
}

void WriteFuzzFile(const fs::path& thePath, const std::string& theBytes)
{
    std::ofstream out(thePath, std::ios::binary | std::ios::trunc);
    out.write(theBytes.data(), static_cast<std::streamsize>(theBytes.size()));
    if (!out) {
        std::fprintf(stderr, "pw-fuzz: cannot write %s\n", thePath.c_str());
        std::abort();
    }
}

CQuietStderr::CQuietStderr()
    : itsSaved(dup(STDERR_FILENO))
{
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    close(null);
}

CQuietStderr::~CQuietStderr()
{
    std::fflush(stderr);
    dup2(itsSaved, STDERR_FILENO);
    close(itsSaved);
}

uint8_t CFuzzInput::Byte()
{
    return itsAt < itsSize ? itsData[itsAt++] : 0;
}

std::string CFuzzInput::Until(char theEnd)
{
    const size_t start = itsAt;
    while (itsAt < itsSize && itsData[itsAt] != static_cast<uint8_t>(theEnd))
        ++itsAt;
    std::string piece(reinterpret_cast<const char*>(itsData) + start, itsAt - start);
    if (itsAt < itsSize)
        ++itsAt;
    return piece;
}

std::string CFuzzInput::Rest()
{
    const size_t start = itsAt < itsSize ? itsAt : itsSize;
    itsAt = itsSize;
    return std::string(reinterpret_cast<const char*>(itsData) + start, itsSize - start);
}

void FuzzFailure(const char* theFile, int theLine, const char* theFormat, ...)
{
    std::fprintf(stderr, "%s:%d: property broken: ", theFile, theLine);
    va_list args;
    va_start(args, theFormat);
    std::vfprintf(stderr, theFormat, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}
