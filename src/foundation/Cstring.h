#pragma once

#include <cstdint>

class CResFile;
class CStringArray;

// The one string type: a heap buffer of 8-bit characters, zero-terminated, copied
// by value. Room grows exactly (15 spare bytes beyond the largest length asked
// for) so callers may write GetMaxLength() characters and the zero byte.
class Cstring {
public:
    Cstring();
    Cstring(const char* theText); // NOLINT: a text is a string
    Cstring(const Cstring& theOther);
    Cstring(const Cstring& theFirst, const char* theSecond);
    // Text theTextId from the text source: the resources (searched across the
    // open resource files when theFile is null), with the substitution table
    // applied.
    explicit Cstring(int theTextId, CResFile* theFile = nullptr);
    virtual ~Cstring();

    // Folder and name joined with one gPathSep; leading separators of the name
    // are dropped, and an empty folder gives the name alone.
    static Cstring Path(const char* theFolder, const char* theName);
    static Cstring Path(const Cstring& theFolder, const char* theName)
    {
        return Path(theFolder.GetText(), theName);
    }

    // Folder (with its trailing separator) and name of a path; a path naming an
    // existing folder is its own folder part.
    static void SplitPath(const Cstring& thePath, Cstring& theFolder, Cstring& theName);

    Cstring& operator=(const Cstring& theOther);
    Cstring& operator=(const char* theText);
    Cstring& operator+=(const char* theText) { return Append(theText); }
    Cstring& operator+=(const Cstring& theText) { return Append(theText.GetText()); }
    bool operator==(const Cstring& theOther) const;
    bool operator!=(const Cstring& theOther) const { return !(*this == theOther); }

    // Makes room for theLength characters; a request equal to the current room
    // reallocates too, a smaller one changes nothing.
    void Reserve(int theLength);
    void Free();
    // theLength 0 copies the whole text; otherwise exactly that many bytes.
    void Assign(const char* theSource, int theLength = 0);
    Cstring& Append(const char* theText);

    int Length() const;
    const char* GetText() const;
    char* GetBuffer();
    int GetMaxLength() const { return maxLength; }
    uint32_t GetAllocSize() const { return allocSize; }
    bool IsEmpty() const { return buff == nullptr || buff[0] == 0; }
    bool IsNotEmpty() const { return buff != nullptr && buff[0] != 0; }
    void Clear();

    // i >= 0: buff + i (an index past the room is pulled back to maxLength - 1);
    // i < 0: the last character, or the start of an empty text.
    char* CharAt(int theIndex);
    const char* CharAt(int theIndex) const { return const_cast<Cstring*>(this)->CharAt(theIndex); }

    // printf into the string, growing it to fit.
    Cstring& Format(const char* theFormat, ...) __attribute__((format(printf, 2, 3)));
    char* Format(int theTextId, ...);

    // Replaces every occurrence of theOld; returns the number of (overlapping)
    // occurrences counted before replacing, 0 when there are none.
    int Replace(const char* theOld, const char* theNew);
    // Appends the pieces between occurrences of theDelimiter, empty ones included.
    void Split(CStringArray& theTarget, char theDelimiter) const;
    void MakeUpper();
    void TrimLeft();
    void TrimTrailing(char theChar);

private:
    void FormatList(const char* theFormat, int theMinimum, __builtin_va_list theArgs);
    bool Overlaps(const char* theText) const;

    uint32_t allocSize = 0;
    int32_t maxLength = 0;
    char* buff = nullptr;
};

// A Cstring used as a sized scratch buffer; theDataLength counts raw bytes held.
class CBuffer : public Cstring {
public:
    explicit CBuffer(int theSize) { Reserve(theSize); }
    int32_t itsDataLength = 0;
};

bool EndsWithNoCase(const char* theText, const char* theSuffix);
// True only when the text is strictly longer than the prefix.
bool StartsWithNoCase(const char* theText, const char* thePrefix);
// Compares exactly theCount characters upper-cased; does not stop at a zero byte.
int CompareNoCaseN(const char* theFirst, const char* theSecond, int theCount);

// Numbered texts live in the resource files, which a layer above this one
// reads; that layer names the function that finds them. Without one every
// text is empty, as it is while no resource file is open. Returns the source
// it replaces.
using TextSource = Cstring (*)(int theTextId, CResFile* theFile);
TextSource SetTextSource(TextSource theSource);

// Set once at start-up, before any path operation.
extern char gPathSep;
extern char gPathSepText[2];
extern char gLineEnd;
extern char gLineEndText[2];
void SetSeparators(char thePathSep, char theLineEnd);
