#pragma once

#include "foundation/Cstring.h"

// A resource bundle: typed, numbered resources read from one file, or the
// application's own bundle compiled into the program.
class CResFile {
public:
    CResFile(); // the application's own resources
    explicit CResFile(const char* thePath);
    ~CResFile();
    CResFile(const CResFile&) = delete;
    CResFile& operator=(const CResFile&) = delete;

    bool Open(const char* thePath);
    void Close();
    bool IsOpen() const { return itsRefNum > 0; }
    const Cstring& GetPath() const { return itsPath; }

private:
    Cstring itsPath;
    int itsRefNum = 0; // 0 not open, -1 opening failed
};

// The three files that texts are looked up in; the optional two are null
// when missing or unreadable.
extern CResFile* gAppResFile;
extern CResFile* gLanguageResFile;
extern CResFile* gLibraryResFile;

// From theFile alone, or else the first non-empty text of the library file,
// the language file and the application's own file.
Cstring LoadString(int theTextId, CResFile* theFile = nullptr);

// Registration ignores the token's case; replacement matches it exactly.
void AddTextSubstitution(const char* theToken, const char* theReplacement);
void ApplySubstitutions(Cstring& theText);
