#pragma once

// The unattended mode for administrators: after start-up, without a window.

// Applies the update to theFolder, which must hold a valid copy. Progress and
// the result go to standard error. Returns the exit status: 0 done, 1 failed,
// 2 refused.
int ApplyUnattended(const char* theFolder);

// Prints the copies that start-up found, one line each; returns 0.
int ListFoundCopies();
