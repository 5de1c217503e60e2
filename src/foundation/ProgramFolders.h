#pragma once

#include "foundation/Cstring.h"

// Whether a folder can hold the user's projects: it exists (or can be made)
// and can be written.
bool IsUsablePath(const char* thePath);
