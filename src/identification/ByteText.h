#pragma once

#include "foundation/Cstring.h"

// Raw bytes as text and back: base64 for the data file, hexadecimal for
// digests and traces.

// RFC 4648 base64 (standard alphabet, "=" padding, no line breaks) of
// theCount bytes into theOut; returns theOut's text.
const char* Base64Encode(const char* theBytes, int theCount, Cstring& theOut);

// Decodes theLength characters of base64 into theOut and returns the number of
// bytes decoded, followed in theOut by a zero byte. Lenient as the data files
// in the field need: a character outside the alphabet counts as zero bits, a
// group whose second or third character is outside yields one byte and ends,
// one whose fourth is outside yields two and ends. Never reads past theLength.
int Base64Decode(CBuffer& theOut, const char* theText, int theLength);
// Whether theLength characters are base64 as an encoder writes it: whole
// groups of four, every character in the alphabet but for at most two "="
// that end the text.
bool IsWellFormedBase64(const char* theText, int theLength);

// Writes 2 * theCount hexadecimal digits and a zero byte to pOut.
void WriteHex(const char* theBytes, int theCount, char* pOut);
// Two upper-case hexadecimal digits per byte, no separators; returns theOut's text.
const char* HexText(const char* theBytes, int theCount, Cstring& theOut);
