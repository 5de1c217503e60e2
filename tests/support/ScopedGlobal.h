#pragma once

#include <utility>

// Gives a process-wide variable a value for as long as the object lives, then
// puts back what it held: a failed assertion cannot leave the value to the
// next test.
template <typename T> class CScopedGlobal {
public:
    explicit CScopedGlobal(T& theGlobal)
        : itsGlobal(theGlobal)
        , itsSaved(theGlobal)
    {
    }
    CScopedGlobal(T& theGlobal, T theValue)
        : CScopedGlobal(theGlobal)
    {
        itsGlobal = std::move(theValue);
    }
    ~CScopedGlobal() { itsGlobal = itsSaved; }
    CScopedGlobal(const CScopedGlobal&) = delete;
    CScopedGlobal& operator=(const CScopedGlobal&) = delete;

private:
    T& itsGlobal;
    T itsSaved;
};
