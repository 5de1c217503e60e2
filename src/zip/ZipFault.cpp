#include "zip/ZipFault.h"

#include "zip/ZipArchiveFile.h"
#include "zip/ZipErrors.h"

#include <cstdarg>
#include <cstdio>

std::string FaultText(const char* theFormat, ...)
{
    va_list args;
    va_start(args, theFormat);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, theFormat, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, theFormat, again);
    va_end(again);
    return text;
}

std::string EntryPlace(const CZipEntry& theEntry)
{
    return FaultText("entry %s, local header at offset %llu", theEntry.itsName.c_str(),
        static_cast<unsigned long long>(theEntry.itsLocalOffset));
}

std::string ReadFailure(int theCode, const char* theWhat)
{
    return theCode == kZipErrorEndOfFile ? FaultText("the file ends inside %s", theWhat)
                                         : FaultText("reading %s failed", theWhat);
}

std::string WithFailure(const std::string& theFailure)
{
    return theFailure.empty() ? std::string() : ": " + theFailure;
}
