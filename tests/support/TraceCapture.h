#pragma once

#include <cstdio>
#include <string>

// A stream in memory for code that logs or traces to a FILE*; Text() is what
// was written so far.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    FILE* Stream() const { return itsStream; }
    std::string Text();

private:
    char* itsBuffer = nullptr;
    size_t itsSize = 0;
    FILE* itsStream;
};
