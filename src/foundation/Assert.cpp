#include "foundation/Assert.h"

#include <cstdio>
#include <cstdlib>

void AssertionFailed(const char* theFile, unsigned theLine, const char* theText)
{
    std::fprintf(stderr, "%s:%u: failed assertion `%s'\n", theFile, theLine, theText);
    std::fflush(stderr);
    std::abort();
}
