#pragma once

#include "foundation/Cstring.h"

// A file opened once and held: code that opens files by path reaches this
// very file through Path() (the descriptor's own path under /proc), even
// after another file has taken its name. Without /proc, or when the file
// cannot be opened, Path() is the name itself and those openers say why.
class CHeldFile {
public:
    explicit CHeldFile(const char* thePath);
    ~CHeldFile();
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;

    int Descriptor() const { return itsFile; }
    const Cstring& Path() const { return itsPath; }

private:
    int itsFile = -1;
    Cstring itsPath;
};
