#pragma once

#include <optional>
#include <string>

// Sets an environment variable for as long as the object lives, then puts
// back what was there before (unset stays unset).
class CScopedVariable {
public:
    CScopedVariable(const char* theName, const std::string& theValue);
    ~CScopedVariable();
    CScopedVariable(const CScopedVariable&) = delete;
    CScopedVariable& operator=(const CScopedVariable&) = delete;

    void Set(const std::string& theValue);

private:
    std::string itsName;
    std::optional<std::string> itsSaved;
};
