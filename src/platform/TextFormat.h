#pragma once

#include "foundation/Cstring.h"

#include <string>

// The arguments a printf format reads, in order: each conversion as its
// length modifier and conversion character ("%-5ld" gives "ld "), "*" for a
// width or precision read from the arguments, "$" for a numbered argument;
// "%%" reads none.
std::string FormatConversions(const char* theFormat);

// Text theTextId through the lookup order, or the program's own when no
// open file has it (before start-up, or where none is opened): the texts of
// our own messages are never empty.
Cstring TextOf(int theTextId);

// Text theTextId as a printf format: the language's text when it reads the
// same arguments as the application's own, else the application's, and the
// mismatch is reported once on standard error. A translation that read
// other arguments would read memory that is not there.
Cstring LoadFormat(int theTextId);

// Text theTextId (through LoadFormat) formatted with the arguments.
Cstring FormatText(int theTextId, ...);

// The application's own text theTextId (English) formatted with the values:
// for the log and the reports, which stay the program's own.
Cstring FormatOwnText(int theTextId, ...);

// Text theTextId formatted twice with the same values: into theOwn from the
// application's own text (English, for the log, which stays the program's
// own), and into theShown through LoadFormat, for the person.
void FormatOwnAndShown(Cstring& theOwn, Cstring& theShown, int theTextId, ...);
