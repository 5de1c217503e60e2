#include "foundation/Arrays.h"

#include "foundation/Assert.h"

#include <strings.h>

namespace {

// The one resizing rule shared by the value arrays: exact size, the kept
// elements copied by assignment, the new ones value-initialised.
template <typename T> void Resize(T*& theList, int32_t& theCount, int theSize)
{
    if (theSize <= 0) {
        delete[] theList;
        theList = nullptr;
        theCount = 0;
        return;
    }
    T* fresh = new T[theSize]();
    const int kept = theCount < theSize ? theCount : theSize;
    for (int i = 0; i < kept; ++i)
        fresh[i] = theList[i];
    delete[] theList;
    theList = fresh;
    theCount = theSize;
}

// Assignment between arrays of one class: the target takes the source's count.
template <typename T>
void CopyElements(T*& theList, int32_t& theCount, const T* theSource, int32_t theSourceCount)
{
    Resize(theList, theCount, theSourceCount);
    for (int i = 0; i < theCount; ++i)
        theList[i] = theSource[i];
}

} // namespace

// The assertion texts name the members as the callers know them.
#define PW_ELEMENT(list, index)                                                                              \
    (PW_ASSERT_TEXT(list != nullptr, "itsList!=NULL"),                                                       \
        PW_ASSERT_TEXT(index >= 0 && index < itsCount, "theIndex<itsCount"), list[index])

CLongArray& CLongArray::operator=(const CLongArray& theOther)
{
    if (this != &theOther)
        CopyElements(itsList, itsCount, theOther.itsList, theOther.itsCount);
    return *this;
}

void CLongArray::SetSize(int theSize)
{
    Resize(itsList, itsCount, theSize);
}

int32_t& CLongArray::At(int theIndex)
{
    return PW_ELEMENT(itsList, theIndex);
}

CDoubleArray& CDoubleArray::operator=(const CDoubleArray& theOther)
{
    if (this != &theOther)
        CopyElements(itsList, itsCount, theOther.itsList, theOther.itsCount);
    return *this;
}

void CDoubleArray::SetSize(int theSize)
{
    Resize(itsList, itsCount, theSize);
}

double& CDoubleArray::At(int theIndex)
{
    return PW_ELEMENT(itsList, theIndex);
}

CStringArray& CStringArray::operator=(const CStringArray& theOther)
{
    if (this != &theOther)
        CopyElements(itsList, itsCount, theOther.itsList, theOther.itsCount);
    return *this;
}

void CStringArray::SetSize(int theSize)
{
    Resize(itsList, itsCount, theSize);
}

Cstring& CStringArray::At(int theIndex)
{
    return PW_ELEMENT(itsList, theIndex);
}

void CStringArray::Add(const Cstring& theString)
{
    const Cstring copy(theString); // theString may be one of our elements
    SetSize(itsCount + 1);
    itsList[itsCount - 1] = copy;
}

void CStringArray::EnsureSize(int theSize)
{
    if (theSize > itsCount)
        SetSize(theSize);
}

int CStringArray::FindNoCase(const char* theText) const
{
    if (!theText)
        return -1;
    for (int i = 0; i < itsCount; ++i)
        if (itsList[i].IsNotEmpty() && strcasecmp(itsList[i].GetText(), theText) == 0)
            return i;
    return -1;
}

void CStringPtrArray::SetSize(int theSize)
{
    if (theSize < 1) {
        for (int i = 0; i < itsCount; ++i)
            delete itsList[i];
        delete[] itsList;
        itsList = nullptr;
        itsCount = 0;
        return;
    }
    for (int i = theSize; i < itsCount; ++i)
        delete itsList[i];
    Cstring** fresh = new Cstring*[theSize]();
    const int kept = itsCount < theSize ? itsCount : theSize;
    for (int i = 0; i < kept; ++i)
        fresh[i] = itsList[i];
    delete[] itsList;
    itsList = fresh;
    itsCount = theSize;
}

Cstring* CStringPtrArray::At(int theIndex)
{
    return PW_ELEMENT(itsList, theIndex);
}

void CStringPtrArray::Add(Cstring* pString)
{
    SetSize(itsCount + 1);
    itsList[itsCount - 1] = pString;
}

void CStringPtrArray::Put(int theIndex, Cstring* pString)
{
    Cstring*& slot = PW_ELEMENT(itsList, theIndex);
    if (slot != pString)
        delete slot;
    slot = pString;
}

int CStringPtrArray::FindEmpty() const
{
    for (int i = 0; i < itsCount; ++i)
        if (!itsList[i])
            return i;
    return -1;
}

int CStringPtrArray::FindNoCase(const char* theText) const
{
    if (!theText)
        return -1;
    for (int i = 0; i < itsCount; ++i)
        if (itsList[i] && strcasecmp(itsList[i]->GetText(), theText) == 0)
            return i;
    return -1;
}
