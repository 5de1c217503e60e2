#pragma once

// Whether theFolder already holds everything the update archive at
// theZipPath installs: every entry under "NewFiles/" is there, a folder as a
// folder and a file with the same size and CRC-32. Applying the update again
// would change nothing but add another backup. False when in doubt (an entry
// that cannot be read, a name that is refused) and for an archive of folders
// alone, which the run refuses.
bool IsAlreadyInstalled(const char* theZipPath, const char* theFolder);
