#pragma once

#include "foundation/Cstring.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>

// The parsed contents of one resource bundle: a JSON object of resource types,
// each an object of resources by decimal ID. Parse checks the shape of every
// resource of the known types once, so readers may rely on it afterwards.
class CResourceBundle {
public:
    // Null, with the reason, when the text is not JSON or a resource is of the
    // wrong shape.
    static std::unique_ptr<CResourceBundle> Parse(const char* theData, size_t theSize, Cstring& theReason);

    // The resource, or null when the bundle has none of that type and ID.
    const nlohmann::json* Find(const char* theType, int theId) const;

private:
    explicit CResourceBundle(nlohmann::json&& theDocument);
    nlohmann::json itsDocument;
};

// 16-bit signed, as resource IDs and coordinates are.
bool IsShortValue(const nlohmann::json& theValue);
int ShortValue(const nlohmann::json& theValue);
// Text of a string member, or theDefault when the member is absent.
Cstring TextMember(const nlohmann::json& theObject, const char* theName, const char* theDefault = "");
bool BoolMember(const nlohmann::json& theObject, const char* theName, bool bDefault);
long NumberMember(const nlohmann::json& theObject, const char* theName, long theDefault);
// A command given as a number or as four characters ("quit" is 0x71756974); 0 when absent.
int32_t CommandMember(const nlohmann::json& theObject, const char* theName);
