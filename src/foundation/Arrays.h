#pragma once

#include "foundation/Cstring.h"

#include <cstdint>

// Exactly sized arrays for small sets of values (tens of elements): itsCount is
// always the allocated size, and every SetSize reallocates and copies.
// At() on an index outside the array is a programming error and asserts.

class CLongArray {
public:
    explicit CLongArray(int theSize = 0) { SetSize(theSize); }
    CLongArray(const CLongArray& theOther) { *this = theOther; }
    CLongArray& operator=(const CLongArray& theOther);
    ~CLongArray() { SetSize(0); }

    void SetSize(int theSize);
    int GetCount() const { return itsCount; }
    int32_t& At(int theIndex);

private:
    int32_t itsCount = 0;
    int32_t* itsList = nullptr;
};

class CDoubleArray {
public:
    explicit CDoubleArray(int theSize = 0) { SetSize(theSize); }
    CDoubleArray(const CDoubleArray& theOther) { *this = theOther; }
    CDoubleArray& operator=(const CDoubleArray& theOther);
    ~CDoubleArray() { SetSize(0); }

    void SetSize(int theSize);
    int GetCount() const { return itsCount; }
    double& At(int theIndex);

private:
    int32_t itsCount = 0;
    double* itsList = nullptr;
};

class CStringArray {
public:
    explicit CStringArray(int theSize = 0) { SetSize(theSize); }
    CStringArray(const CStringArray& theOther) { *this = theOther; }
    CStringArray& operator=(const CStringArray& theOther);
    ~CStringArray() { SetSize(0); }

    void SetSize(int theSize);
    int GetCount() const { return itsCount; }
    Cstring& At(int theIndex);
    const Cstring& At(int theIndex) const { return const_cast<CStringArray*>(this)->At(theIndex); }
    void Add(const Cstring& theString);
    // Grows to theSize when smaller; never shrinks.
    void EnsureSize(int theSize);
    void RemoveAll() { SetSize(0); }
    // First non-empty element equal to theText ignoring case, or -1.
    int FindNoCase(const char* theText) const;

private:
    int32_t itsCount = 0;
    Cstring* itsList = nullptr;
};

// Owns every non-null string it holds; a null slot is a free place.
class CStringPtrArray {
public:
    explicit CStringPtrArray(int theSize = 0) { SetSize(theSize); }
    CStringPtrArray(const CStringPtrArray&) = delete;
    CStringPtrArray& operator=(const CStringPtrArray&) = delete;
    ~CStringPtrArray() { SetSize(0); }

    void SetSize(int theSize);
    int GetCount() const { return itsCount; }
    // The stored pointer, possibly null; the array keeps ownership.
    Cstring* At(int theIndex);
    // Takes ownership of pString.
    void Add(Cstring* pString);
    void AddCopy(const char* theText) { Add(new Cstring(theText)); }
    // Replaces slot theIndex, deleting what it held; takes ownership of pString.
    void Put(int theIndex, Cstring* pString);
    int FindEmpty() const;
    int FindNoCase(const char* theText) const;

private:
    int32_t itsCount = 0;
    Cstring** itsList = nullptr;
};
