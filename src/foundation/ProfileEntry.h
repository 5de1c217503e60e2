#pragma once

#include "foundation/Arrays.h"
#include "foundation/Cstring.h"
#include "foundation/ShortRect.h"

#include <cstdint>

// One setting: its key, its group, the program variable it is bound to, and the
// value read from a profile until Apply copies it into that variable. Entries
// live on the heap in the registry (Profile.h) and never outlive it.

enum ProfileEntryType {
    kProfileString = 1,
    kProfileStringArray = 2,
    kProfileInt = 3,
    kProfileShort = 4,
    kProfileLong = 6,
    kProfileDouble = 7,
    kProfileRect = 8, // kept top, left, bottom, right; written left, top, right, bottom
    kProfileText = 9, // as kProfileString
    kProfileLongValue = 10, // as kProfileLong
    kProfilePair = 11,
    kProfileTwoPairs = 12,
    kProfileSevenNumbers = 14,
    kProfileSixNumbers = 15,
    kProfileThreeNumbers = 20,
    kProfileFont = 21,
    kProfileLongArray = 23,
    kProfileDoubleArray = 24,
    kProfileLongList = 25, // as kProfileLongArray
};

struct CProfileFont {
    Cstring name;
    int16_t style = 0;
    int16_t size = 0;
};

class CProfileEntry {
public:
    CProfileEntry(const char* theKey, int theGroup, int theType, void* pVariable);
    virtual ~CProfileEntry() = default;
    CProfileEntry(const CProfileEntry&) = delete;
    CProfileEntry& operator=(const CProfileEntry&) = delete;

    // The entry's line(s) in the form "%s = %s\n".
    virtual Cstring Write() const;
    // Value text to plain text: two double quotes give "", else ParseQuoted.
    virtual Cstring NormaliseValue(const char* theValue) const;
    // Reads theValue into the entry's value and marks it changed.
    virtual void Parse(const char* theValue) = 0;
    virtual bool IsInGroup(int theGroup) const { return itsGroup == theGroup; }
    // Bound variable into the entry's value; marks it changed.
    virtual void Capture() = 0;
    // Entry's value into the bound variable.
    virtual void Apply() = 0;

    const Cstring& GetKey() const { return itsKey; }
    int GetGroup() const { return itsGroup; }
    int GetType() const { return itsType; }
    bool IsChanged() const { return bChanged; }
    void ClearChanged() { bChanged = false; }

    CProfileEntry* itsNext = nullptr; // the registry's link

protected:
    // The value's text form as Write puts it after "key = ".
    virtual Cstring ValueText() const = 0;

    Cstring itsKey;
    int32_t itsGroup;
    int32_t itsType;
    void* itsVariable;
    bool bChanged = false;
};

// A new entry of theType bound to pVariable, whose type must match the code;
// null for a code that has no entry type.
CProfileEntry* MakeProfileEntry(int theType, int theGroup, const char* theKey, void* pVariable);
