#pragma once

// Whether an archive entry's name, after the name mapping, stays inside the
// destination folder: not absolute, no drive prefix such as "C:", no
// backslash, and no ".." or "." or empty component (a single trailing "/"
// marks a folder entry and is allowed; the empty name is the destination
// folder itself). Unsafe names are refused, never repaired.
bool IsSafeEntryName(const char* theName);
