#include "support/TraceCapture.h"

#include <cstdlib>

TraceCapture::TraceCapture()
    : itsStream(open_memstream(&itsBuffer, &itsSize))
{
}

TraceCapture::~TraceCapture()
{
    std::fclose(itsStream);
    std::free(itsBuffer);
}

std::string TraceCapture::Text()
{
    std::fflush(itsStream);
    return std::string(itsBuffer, itsSize);
}
