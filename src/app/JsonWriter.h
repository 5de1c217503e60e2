#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// theBytes as a JSON string, quotes included. Paths may hold any bytes:
// well-formed UTF-8 is kept as it is, and each byte that is not part of it
// is written as \udcXX (XX the byte), as Python's "surrogateescape" reads
// it, so that os.fsencode gives the folder's exact bytes back; a strict
// reader shows U+FFFD there. Control characters are escaped.
std::string JsonQuoted(std::string_view theBytes);

// One JSON value written to a stream as it is built, indented by two spaces
// a level. Members are written as Key followed by one value.
class CJsonWriter {
public:
    explicit CJsonWriter(FILE* theStream)
        : itsStream(theStream)
    {
    }

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    CJsonWriter& Key(const char* theName);
    // A null text, or with bEmptyIsNull an empty one, is written as null.
    void String(const char* theText, bool bEmptyIsNull = false);
    void Bool(bool bValue);
    void Number(long theValue);
    void Null();
    // Ends the outermost value with a line end.
    void Finish();

private:
    void BeforeValue();
    void Open(char theBracket);
    void Close(char theBracket);
    void NewLine();

    FILE* itsStream;
    std::vector<bool> itsEmpty; // per open level: nothing written in it yet
    bool bAfterKey = false;
};
