#include "foundation/Cstring.h"

#include "foundation/Arrays.h"
#include "foundation/Assert.h"
#include "foundation/PathAttributes.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// The first thePattern in [theStart, theEnd), or null.
const char* Find(const char* theStart, const char* theEnd, const std::string& thePattern)
{
    return static_cast<const char*>(
        memmem(theStart, static_cast<size_t>(theEnd - theStart), thePattern.data(), thePattern.size()));
}

TextSource gTextSource = nullptr;

} // namespace

TextSource SetTextSource(TextSource theSource)
{
    const TextSource previous = gTextSource;
    gTextSource = theSource;
    return previous;
}

char gPathSep = '/';
char gPathSepText[2] = "/";
char gLineEnd = '\r';
char gLineEndText[2] = "\r";

void SetSeparators(char thePathSep, char theLineEnd)
{
    gPathSep = thePathSep;
    gPathSepText[0] = thePathSep;
    gLineEnd = theLineEnd;
    gLineEndText[0] = theLineEnd;
}

Cstring::Cstring()
{
    Reserve(1);
}

Cstring::Cstring(const char* theText)
{
    const int length = theText ? static_cast<int>(std::strlen(theText)) : 0;
    Reserve(length);
    Assign(theText, length);
}

Cstring::Cstring(const Cstring& theOther)
{
    Reserve(theOther.maxLength);
    if (theOther.IsNotEmpty())
        Assign(theOther.buff);
}

Cstring::Cstring(const Cstring& theFirst, const char* theSecond)
    : Cstring(theFirst)
{
    Append(theSecond);
}

Cstring::Cstring(int theTextId, CResFile* theFile)
    : Cstring()
{
    if (gTextSource)
        *this = gTextSource(theTextId, theFile);
}

Cstring::~Cstring()
{
    Free();
}

void Cstring::Free()
{
    std::free(buff);
    buff = nullptr;
    allocSize = 0;
    maxLength = 0;
}

Cstring Cstring::Path(const char* theFolder, const char* theName)
{
    Cstring path(theFolder);
    if (path.IsNotEmpty() && *path.CharAt(-1) != gPathSep)
        path.Append(gPathSepText);
    if (theName) {
        while (*theName == gPathSep)
            ++theName;
        path.Append(theName);
    }
    return path;
}

void Cstring::SplitPath(const Cstring& thePath, Cstring& theFolder, Cstring& theName)
{
    theFolder.Clear();
    theName = thePath;
    if (thePath.IsEmpty())
        return;
    const int attributes = GetPathAttributes(thePath.GetText());
    if (attributes != -1 && (attributes & kPathIsFolder)) {
        theFolder = thePath;
        theName = "";
        return;
    }
    const char* last = std::strrchr(thePath.GetText(), gPathSep);
    if (!last)
        return;
    const int folderLength = static_cast<int>(last - thePath.GetText()) + 1;
    theFolder.Assign(thePath.GetText(), folderLength);
    theName = last + 1;
}

Cstring& Cstring::operator=(const Cstring& theOther)
{
    if (this != &theOther)
        Assign(theOther.IsEmpty() ? nullptr : theOther.buff);
    return *this;
}

Cstring& Cstring::operator=(const char* theText)
{
    Assign(theText);
    return *this;
}

bool Cstring::operator==(const Cstring& theOther) const
{
    PW_ASSERT(buff != NULL);
    return std::strcmp(buff, theOther.IsEmpty() ? "" : theOther.buff) == 0;
}

void Cstring::Reserve(int theLength)
{
    if (maxLength > theLength)
        return;
    if (theLength < 0)
        theLength = 0;
    char* fresh = static_cast<char*>(std::malloc(static_cast<size_t>(theLength) + 15));
    if (fresh) {
        fresh[0] = 0;
        if (buff)
            std::memcpy(fresh, buff, allocSize);
    }
    std::free(buff);
    buff = fresh;
    maxLength = fresh ? theLength : 0;
    allocSize = fresh ? static_cast<uint32_t>(theLength) + 15 : 0;
}

bool Cstring::Overlaps(const char* theText) const
{
    const std::less_equal<const char*> le;
    return buff && le(buff, theText) && le(theText, buff + allocSize);
}

void Cstring::Assign(const char* theSource, int theLength)
{
    if (!theSource || !*theSource) {
        if (buff)
            buff[0] = 0;
        return;
    }
    if (Overlaps(theSource)) {
        // Growing would free the text being copied; copy it out first.
        const std::string copy = theLength ? std::string(theSource, theLength) : std::string(theSource);
        Assign(copy.c_str(), static_cast<int>(copy.size()));
        return;
    }
    const int length = theLength ? theLength : static_cast<int>(std::strlen(theSource));
    Reserve(length);
    if (!buff)
        return;
    std::memcpy(buff, theSource, static_cast<size_t>(length));
    buff[length] = 0;
}

Cstring& Cstring::Append(const char* theText)
{
    if (!theText || !*theText || !buff)
        return *this;
    if (Overlaps(theText)) {
        const std::string copy(theText);
        return Append(copy.c_str());
    }
    const int own = Length();
    const int extra = static_cast<int>(std::strlen(theText));
    Reserve(own + extra);
    if (buff)
        std::memcpy(buff + own, theText, static_cast<size_t>(extra) + 1);
    return *this;
}

int Cstring::Length() const
{
    PW_ASSERT(buff != NULL);
    return static_cast<int>(std::strlen(buff));
}

const char* Cstring::GetText() const
{
    PW_ASSERT(buff != NULL);
    return buff;
}

char* Cstring::GetBuffer()
{
    PW_ASSERT(buff != NULL);
    return buff;
}

void Cstring::Clear()
{
    if (buff && maxLength != 0)
        std::memset(buff, 0, allocSize);
}

char* Cstring::CharAt(int theIndex)
{
    PW_ASSERT(buff != NULL);
    if (theIndex >= 0) {
        if (theIndex > maxLength)
            theIndex = maxLength - 1;
        return buff + theIndex;
    }
    const int length = Length();
    return length ? buff + length - 1 : buff;
}

void Cstring::FormatList(const char* theFormat, int theMinimum, va_list theArgs)
{
    // Measure first and format into a fresh buffer: the arguments may point
    // into this string, and the result must never run past the room.
    va_list measure;
    va_copy(measure, theArgs);
    const int needed = std::vsnprintf(nullptr, 0, theFormat, measure);
    va_end(measure);
    if (needed < 0)
        return;
    int room = theMinimum > needed ? theMinimum : needed;
    if (maxLength > room)
        room = maxLength;
    char* fresh = static_cast<char*>(std::malloc(static_cast<size_t>(room) + 15));
    if (!fresh)
        return;
    std::vsnprintf(fresh, static_cast<size_t>(room) + 1, theFormat, theArgs);
    std::free(buff);
    buff = fresh;
    maxLength = room;
    allocSize = static_cast<uint32_t>(room) + 15;
}

Cstring& Cstring::Format(const char* theFormat, ...)
{
    if (!theFormat)
        theFormat = "";
    va_list args;
    va_start(args, theFormat);
    FormatList(theFormat, static_cast<int>(std::strlen(theFormat)) + 256, args);
    va_end(args);
    return *this;
}

char* Cstring::Format(int theTextId, ...)
{
    const Cstring format(theTextId);
    va_list args;
    va_start(args, theTextId);
    FormatList(format.GetText(), format.GetMaxLength() + 256, args);
    va_end(args);
    return buff;
}

int Cstring::Replace(const char* theOld, const char* theNew)
{
    if (!buff || !theOld || !*theOld)
        return 0;
    if (!theNew)
        theNew = "";
    // Both may point into this string, which the replacing overwrites.
    const std::string pattern(theOld);
    const std::string replacement(theNew);
    // Searched with the lengths known: a search that measures the rest of
    // the text on every call is quadratic in the number of matches.
    const int length = Length();
    const char* end = buff + length;
    int count = 0;
    for (const char* at = Find(buff, end, pattern); at; at = Find(at + 1, end, pattern))
        ++count;
    if (count == 0)
        return 0;

    const int oldLength = static_cast<int>(pattern.size());
    const int newLength = static_cast<int>(replacement.size());
    const char* source = buff;
    char* target = buff;
    char* grown = nullptr;
    if (newLength - oldLength >= 1) {
        const int room = length + (newLength - oldLength) * count;
        grown = static_cast<char*>(std::malloc(static_cast<size_t>(room) + 15));
        if (!grown)
            return 0;
        target = grown;
        maxLength = room;
        allocSize = static_cast<uint32_t>(room) + 15;
    }
    // In place the result never overtakes the text still to be read, since
    // each replacement is no longer than what it replaces.
    char* out = target;
    for (const char* at = Find(source, end, pattern); at; at = Find(source, end, pattern)) {
        const size_t stretch = static_cast<size_t>(at - source);
        std::memmove(out, source, stretch);
        out += stretch;
        std::memcpy(out, replacement.data(), replacement.size());
        out += replacement.size();
        source = at + oldLength;
    }
    const size_t rest = static_cast<size_t>(end - source);
    std::memmove(out, source, rest);
    out[rest] = 0;
    if (grown) {
        std::free(buff);
        buff = grown;
    }
    return count;
}

void Cstring::Split(CStringArray& theTarget, char theDelimiter) const
{
    if (!buff || maxLength == 0 || !*buff)
        return;
    // A copy, since this string may be an element of theTarget, which grows.
    // The text holds no zero byte, so a zero delimiter gives one piece.
    const std::string text(buff);
    const char* const end = text.data() + text.size();
    auto next = [&](const char* theFrom) {
        return static_cast<const char*>(
            std::memchr(theFrom, theDelimiter, static_cast<size_t>(end - theFrom)));
    };
    int pieces = 1;
    for (const char* at = next(text.data()); at; at = next(at + 1))
        ++pieces;
    // Sized once: each Add would copy the whole array, and a long text of
    // many pieces would take quadratic time.
    int slot = theTarget.GetCount();
    theTarget.EnsureSize(slot + pieces);
    for (const char* start = text.data();; ++slot) {
        const char* at = next(start);
        const char* stop = at ? at : end;
        if (stop > start)
            theTarget.At(slot).Assign(start, static_cast<int>(stop - start));
        if (!at)
            break;
        start = at + 1;
    }
}

void Cstring::MakeUpper()
{
    if (!buff)
        return;
    for (char* at = buff; *at; ++at)
        *at = static_cast<char>(std::toupper(static_cast<unsigned char>(*at)));
}

void Cstring::TrimLeft()
{
    if (!buff)
        return;
    int skip = 0;
    while (buff[skip] == ' ' || buff[skip] == '\t')
        ++skip;
    if (skip == 0)
        return;
    int moved = 0;
    while (moved < maxLength && buff[skip + moved]) {
        buff[moved] = buff[skip + moved];
        ++moved;
    }
    buff[moved] = 0;
}

void Cstring::TrimTrailing(char theChar)
{
    if (IsEmpty())
        return;
    char* at = buff + Length() - 1;
    while (at > buff && *at == theChar)
        --at;
    at[1] = 0;
}

bool EndsWithNoCase(const char* theText, const char* theSuffix)
{
    if (!theText || !theSuffix || !*theText || !*theSuffix)
        return false;
    const size_t textLength = std::strlen(theText);
    const size_t suffixLength = std::strlen(theSuffix);
    if (textLength < suffixLength)
        return false;
    return strcasecmp(theText + textLength - suffixLength, theSuffix) == 0;
}

bool StartsWithNoCase(const char* theText, const char* thePrefix)
{
    if (!theText || !thePrefix)
        return false;
    const size_t prefixLength = std::strlen(thePrefix);
    if (std::strlen(theText) <= prefixLength)
        return false;
    return CompareNoCaseN(theText, thePrefix, static_cast<int>(prefixLength)) == 0;
}

int CompareNoCaseN(const char* theFirst, const char* theSecond, int theCount)
{
    for (int i = 0; i < theCount; ++i) {
        const int a = std::toupper(static_cast<unsigned char>(theFirst[i]));
        const int b = std::toupper(static_cast<unsigned char>(theSecond[i]));
        if (a < b)
            return -1;
        if (a > b)
            return 1;
    }
    return 0;
}
