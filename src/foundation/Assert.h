#pragma once

#include <cstddef> // NULL, as the assertion texts spell it

// Assertions guard programming errors only; input never reaches them. A failed one
// prints "file:line: failed assertion `text'" to standard error and aborts.

[[noreturn]] void AssertionFailed(const char* theFile, unsigned theLine, const char* theText);

// The text is the expression as written, so the message names the broken rule.
#define PW_ASSERT(expr) ((expr) ? (void)0 : AssertionFailed(__FILE__, __LINE__, #expr))

// For checks whose message is a fixed word rather than the expression ("FALSE").
#define PW_ASSERT_TEXT(expr, text) ((expr) ? (void)0 : AssertionFailed(__FILE__, __LINE__, text))
