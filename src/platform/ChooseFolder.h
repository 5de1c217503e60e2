#pragma once

#include "foundation/Cstring.h"

#include <functional>

// Asks the user for a folder, starting at theFolder. Returns 1 and writes the
// chosen path into theFolder, or 0 when nothing was chosen. Without a window
// system (and without a hook) nothing can be chosen.
int ChooseFolder(const char* thePrompt, Cstring& theFolder);

// The window layer installs the real chooser here; tests install an answerer.
using ChooseFolderHook = std::function<int(const char* thePrompt, Cstring& theFolder)>;
void SetChooseFolderHook(ChooseFolderHook theHook);
