#include "platform/TextFormat.h"

#include "platform/Resources.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

std::string FormatConversions(const char* theFormat)
{
    std::string conversions;
    for (const char* at = theFormat ? std::strchr(theFormat, '%') : nullptr; at; at = std::strchr(at, '%')) {
        ++at;
        if (*at == '%') {
            ++at;
            continue;
        }
        for (; *at && std::strchr("0123456789#-+ '.*$", *at); ++at)
            if (*at == '*' || *at == '$')
                conversions += *at;
        std::string length;
        for (; *at && std::strchr("hlLqjzt", *at); ++at)
            length += *at;
        // Not a conversion ("%KIT%" is a token of its own): printf reads nothing for it.
        if (!*at || !std::strchr("diouxXeEfFgGaAcspnm", *at))
            continue;
        conversions += length + *at++;
        conversions += ' ';
    }
    return conversions;
}

Cstring TextOf(int theTextId)
{
    const Cstring text = LoadString(theTextId);
    return text.IsNotEmpty() ? text : LoadText(&OwnResources(), theTextId);
}

Cstring LoadFormat(int theTextId)
{
    const Cstring own = LoadText(&OwnResources(), theTextId);
    const Cstring text = TextOf(theTextId);
    if (FormatConversions(text.GetText()) == FormatConversions(own.GetText()))
        return text;
    const CResFile* from = gAppResFile;
    for (const CResFile* file : { gLanguageResFile, gLibraryResFile })
        if (file && file->IsOpen() && LoadText(file, theTextId).IsNotEmpty())
            from = file;
    static std::mutex lock;
    static std::set<int> reported;
    const std::lock_guard<std::mutex> guard(lock);
    if (reported.insert(theTextId).second)
        std::fprintf(stderr,
            "Resource file \"%s\": text %d is not used: it reads the arguments \"%s\" where the program "
            "gives "
            "\"%s\"\n",
            from ? from->GetPath().GetText() : "", theTextId, FormatConversions(text.GetText()).c_str(),
            FormatConversions(own.GetText()).c_str());
    return own;
}

namespace {

Cstring FormatList(const Cstring& theFormat, va_list theArgs)
{
    va_list measure;
    va_copy(measure, theArgs);
    const int needed = std::vsnprintf(nullptr, 0, theFormat.GetText(), measure);
    va_end(measure);
    std::string text(needed > 0 ? static_cast<size_t>(needed) : 0, '\0');
    if (needed > 0)
        std::vsnprintf(text.data(), text.size() + 1, theFormat.GetText(), theArgs);
    return Cstring(text.c_str());
}

} // namespace

Cstring FormatText(int theTextId, ...)
{
    va_list args;
    va_start(args, theTextId);
    Cstring text = FormatList(LoadFormat(theTextId), args);
    va_end(args);
    return text;
}

Cstring FormatOwnText(int theTextId, ...)
{
    va_list args;
    va_start(args, theTextId);
    Cstring text = FormatList(LoadText(&OwnResources(), theTextId), args);
    va_end(args);
    return text;
}

void FormatOwnAndShown(Cstring& theOwn, Cstring& theShown, int theTextId, ...)
{
    va_list args;
    va_start(args, theTextId);
    va_list again;
    va_copy(again, args);
    theOwn = FormatList(LoadText(&OwnResources(), theTextId), args);
    theShown = FormatList(LoadFormat(theTextId), again);
    va_end(again);
    va_end(args);
}
