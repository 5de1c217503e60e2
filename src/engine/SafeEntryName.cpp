#include "engine/SafeEntryName.h"

#include <cctype>
#include <cstring>

bool IsSafeEntryName(const char* theName)
{
    if (!theName)
        return false;
    if (*theName == 0)
        return true;
    if (theName[0] == '/' || std::strchr(theName, '\\'))
        return false;
    // Another system would read "C:x" as a path on a drive; nothing
    // legitimate in an update is named like that.
    if (std::isalpha(static_cast<unsigned char>(theName[0])) && theName[1] == ':')
        return false;
    for (const char* component = theName;;) {
        const char* end = std::strchr(component, '/');
        const size_t length = end ? static_cast<size_t>(end - component) : std::strlen(component);
        const bool bLast = !end || end[1] == 0;
        if (length == 0)
            return false;
        if (component[0] == '.' && (length == 1 || (length == 2 && component[1] == '.')))
            return false;
        if (bLast)
            return true;
        component = end + 1;
    }
}
