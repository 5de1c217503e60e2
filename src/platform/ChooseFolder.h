#pragma once

#include "foundation/Cstring.h"

// Asks the user for a folder, starting at theFolder, through the host. Returns
// 1 and writes the chosen path into theFolder, or 0 when nothing was chosen
// (always so without windows).
int ChooseFolder(const char* thePrompt, Cstring& theFolder);

// The same for a folder or a file of theFileTypes ("Update kits (*.pwkit)").
int ChooseFileOrFolder(const char* thePrompt, const char* theFileTypes, Cstring& thePath);
