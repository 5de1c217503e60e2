#pragma once

#include "platform/Host.h"

#include <memory>

// The Qt host for a run that opens the wizard; null when the toolkit cannot
// start. Made before start-up, so that start-up's alerts show as windows.
// Keeps argc and argv for the toolkit, which may take its own options out.
std::unique_ptr<CHost> MakeWindowHost(int& argc, char** argv);

// Whether the toolkit's platform theName ("wayland", "xcb") is installed:
// without the one a display needs, the toolkit would end the program.
bool HasWindowPlatform(const char* theName);
