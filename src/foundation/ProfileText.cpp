#include "foundation/ProfileText.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSpace(char theChar)
{
    return std::isspace(static_cast<unsigned char>(theChar)) != 0;
}

const char* SkipSpace(const char* theText)
{
    while (*theText && IsSpace(*theText))
        ++theText;
    return theText;
}

} // namespace

bool ReadLine(FILE* theFile, Cstring& theLine)
{
    char buffer[kProfileLineRoom + 1];
    int c = std::fgetc(theFile);
    while (c == '\r' || c == '\n')
        c = std::fgetc(theFile);
    int length = 0;
    for (;;) {
        if (c == EOF)
            return false; // also a line that no line break ends
        if (c == '\r' || c == '\n')
            break;
        if (length == kProfileLineRoom)
            break; // the character just read is dropped; the rest is a further line
        buffer[length++] = static_cast<char>(c);
        c = std::fgetc(theFile);
    }
    buffer[length] = 0;
    theLine.Assign(buffer, length);
    return true;
}

void ReadEntryLine(const char* theLine, Cstring& theKey, int& theIndex, Cstring& theValue)
{
    const char* at = SkipSpace(theLine);
    const char* keyStart = at;
    while (*at && std::isalnum(static_cast<unsigned char>(*at)))
        ++at;
    const char* keyEnd = at;
    theIndex = -1;

    at = SkipSpace(at);
    if (*at == '[') {
        ++at;
        int index = 0;
        while (std::isdigit(static_cast<unsigned char>(*at))) {
            if (index < INT_MAX / 10 - 1)
                index = index * 10 + (*at - '0');
            ++at;
        }
        theIndex = index;
        if (*at == ']')
            ++at;
        keyEnd = at;
    }
    theKey.Assign(keyStart, static_cast<int>(keyEnd - keyStart));
    if (keyEnd == keyStart)
        theKey = "";

    at = SkipSpace(at);
    if (*at == '=')
        ++at;
    at = SkipSpace(at);
    theValue = at;
    theValue.TrimTrailing(' ');
}

const char* ParseQuoted(const char* theValue, Cstring& theResult)
{
    const char* at = SkipSpace(theValue ? theValue : "");
    if (*at != '"') {
        theResult = at;
        return at + std::strlen(at);
    }
    ++at;
    const char* close = std::strchr(at, '"');
    const int length = close ? static_cast<int>(close - at) : static_cast<int>(std::strlen(at));
    theResult.Assign(at, length);
    if (length == 0)
        theResult = "";
    return close ? close + 1 : at + length;
}

bool ScanLong(const char*& theText, long& theNumber)
{
    const char* start = SkipSpace(theText);
    const char* digits = start + (*start == '+' || *start == '-');
    if (!std::isdigit(static_cast<unsigned char>(*digits)))
        return false;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(start, &end, 10);
    if (number > INT32_MAX)
        number = INT32_MAX;
    if (number < INT32_MIN)
        number = INT32_MIN;
    theNumber = number;
    theText = end;
    return true;
}

bool ScanDouble(const char*& theText, double& theNumber)
{
    const char* start = SkipSpace(theText);
    char* end = nullptr;
    const double number = std::strtod(start, &end);
    if (end == start)
        return false;
    theNumber = number;
    theText = end;
    return true;
}
