#pragma once

#include "foundation/Cstring.h"

// What a run's failure means for the user and what to do about it, in plain
// words, for the failed page beside the message that says what happened
// ("Decompress Error (7): ..."). Empty when the message is not one of the
// archive's: other messages say what to do themselves.
Cstring FailureAdvice(const Cstring& theMessage);
