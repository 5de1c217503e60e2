#pragma once

#include "identification/ProgramData.h"

#include <string>

// Records enciphered the way the data file's writer does.

// The base64 line (without its line feed) that holds thePlaintext.
std::string EncipheredLine(const std::string& thePlaintext);

// What DumpPrograms writes of theList.
std::string Dump(const CProgramList& theList);
