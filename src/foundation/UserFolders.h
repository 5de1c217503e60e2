#pragma once

#include "foundation/Cstring.h"

// Per-user folders from the XDG conventions; empty when they cannot be found.
Cstring PreferencesFolder();
// Where the updater keeps what it records of its runs: Patchwell in
// $XDG_STATE_HOME (~/.local/state).
Cstring StateFolder();
// Where this user's files that can be made again are kept: "Patchwell" in
// $XDG_CACHE_HOME (default ~/.cache).
Cstring CacheFolder();
Cstring DocumentsFolder();
Cstring DesktopFolder();
