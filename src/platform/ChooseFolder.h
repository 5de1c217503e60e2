#pragma once

#include "foundation/Cstring.h"

// Asks the user for a folder, starting at theFolder, through the host. Returns
// 1 and writes the chosen path into theFolder, or 0 when nothing was chosen
// (always so without windows).
int ChooseFolder(const char* thePrompt, Cstring& theFolder);
