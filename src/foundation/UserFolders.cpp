#include "foundation/UserFolders.h"

#include <cstdlib>

namespace {

Cstring HomeFolder()
{
    const char* home = std::getenv("HOME");
    return Cstring(home && *home ? home : "");
}

// An XDG variable when set to an absolute path, else the fallback under $HOME.
Cstring XdgFolder(const char* theVariable, const char* theFallback)
{
    const char* value = std::getenv(theVariable);
    if (value && value[0] == '/')
        return Cstring(value);
    const Cstring home = HomeFolder();
    return home.IsEmpty() ? Cstring() : Cstring::Path(home, theFallback);
}

} // namespace

Cstring PreferencesFolder()
{
    const Cstring config = XdgFolder("XDG_CONFIG_HOME", ".config");
    return config.IsEmpty() ? config : Cstring::Path(config, "Patchwell");
}

Cstring StateFolder()
{
    const Cstring state = XdgFolder("XDG_STATE_HOME", ".local/state");
    return state.IsEmpty() ? state : Cstring::Path(state, "Patchwell");
}

Cstring CacheFolder()
{
    const Cstring cache = XdgFolder("XDG_CACHE_HOME", ".cache");
    return cache.IsEmpty() ? cache : Cstring::Path(cache, "Patchwell");
}

Cstring DocumentsFolder()
{
    return XdgFolder("XDG_DOCUMENTS_DIR", "Documents");
}

Cstring DesktopFolder()
{
    return XdgFolder("XDG_DESKTOP_DIR", "Desktop");
}
