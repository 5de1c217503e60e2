#pragma once

#include "foundation/Cstring.h"

// Per-user folders from the XDG conventions; empty when they cannot be found.
Cstring PreferencesFolder();
Cstring DocumentsFolder();
Cstring DesktopFolder();
