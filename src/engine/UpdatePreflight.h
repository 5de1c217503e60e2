#pragma once

#include "foundation/Cstring.h"

#include <cstdio>

// Checks, before anything in the target folder is touched, that the update can
// be applied: the archive opens, every entry name stays inside the target once
// "NewFiles/" is mapped away, the password opens every entry, and the target's
// file system has room for everything the archive unpacks to. On failure
// theMessage says why, one line goes to theLog, and the result is false.
bool PreflightUpdate(const char* theZipPath, const char* thePassword, const char* theTarget,
    Cstring& theMessage, FILE* theLog);
