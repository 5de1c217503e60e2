#pragma once

#include <cstdio>
#include <string>

// Test helpers for the data file: records enciphered the way the writer does,
// and a trace stream that collects what is written to it.

// The base64 line (without its line feed) that holds thePlaintext.
std::string EncipheredLine(const std::string& thePlaintext);

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
