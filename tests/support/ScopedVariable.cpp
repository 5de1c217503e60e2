#include "support/ScopedVariable.h"

#include <cstdlib>

CScopedVariable::CScopedVariable(const char* theName, const std::string& theValue)
    : itsName(theName)
{
    if (const char* saved = std::getenv(theName))
        itsSaved = saved;
    Set(theValue);
}

CScopedVariable::~CScopedVariable()
{
    if (itsSaved)
        setenv(itsName.c_str(), itsSaved->c_str(), 1);
    else
        unsetenv(itsName.c_str());
}

void CScopedVariable::Set(const std::string& theValue)
{
    setenv(itsName.c_str(), theValue.c_str(), 1);
}
