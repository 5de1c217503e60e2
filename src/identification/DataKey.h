#pragma once

#include "foundation/Cstring.h"

// The built-in key text: 26 characters of [A-Za-z0-9_], never stored whole.
// The updater and the vendor tool build it from the same stored bytes; it is
// the data file's key and the update archive's password.
void BuildDataKeyText(Cstring& theKeyText);
