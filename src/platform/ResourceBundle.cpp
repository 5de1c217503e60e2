#include "platform/ResourceBundle.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

using nlohmann::json;

namespace {

// Nothing the resources need comes near this; a deeper document is hostile.
const int kMaxDepth = 32;

// Builds the document like the library's own parser, but keeps the error's text
// instead of throwing it and refuses deep nesting.
class CBundleSax : public nlohmann::detail::json_sax_dom_parser<json> {
public:
    CBundleSax(json& theResult, std::string& theReason)
        : json_sax_dom_parser(theResult, false)
        , itsReason(theReason)
    {
    }
    bool start_object(std::size_t theCount) { return Enter() && json_sax_dom_parser::start_object(theCount); }
    bool end_object()
    {
        --itsDepth;
        return json_sax_dom_parser::end_object();
    }
    bool start_array(std::size_t theCount) { return Enter() && json_sax_dom_parser::start_array(theCount); }
    bool end_array()
    {
        --itsDepth;
        return json_sax_dom_parser::end_array();
    }
    template <class TException> bool parse_error(std::size_t, const std::string&, const TException& theError)
    {
        itsReason = theError.what();
        return false;
    }

private:
    bool Enter()
    {
        if (++itsDepth <= kMaxDepth)
            return true;
        itsReason = "nested too deeply";
        return false;
    }
    std::string& itsReason;
    int itsDepth = 0;
};

bool IsInteger(const json& theValue, long theMinimum, long theMaximum)
{
    if (theValue.is_number_unsigned())
        return theValue.get<std::uint64_t>() <= static_cast<std::uint64_t>(theMaximum);
    if (!theValue.is_number_integer())
        return false;
    const std::int64_t number = theValue.get<std::int64_t>();
    return number >= theMinimum && number <= theMaximum;
}

bool IsShortArray(const json& theValue, size_t theCount)
{
    if (!theValue.is_array() || theValue.size() != theCount)
        return false;
    for (const json& element : theValue)
        if (!IsShortValue(element))
            return false;
    return true;
}

using MemberCheck = bool (*)(const json&);

bool IsString(const json& theValue)
{
    return theValue.is_string();
}
bool IsBool(const json& theValue)
{
    return theValue.is_boolean();
}
bool IsShort(const json& theValue)
{
    return IsShortValue(theValue);
}
bool IsLong(const json& theValue)
{
    return IsInteger(theValue, INT32_MIN, INT32_MAX);
}
bool IsByte(const json& theValue)
{
    return IsInteger(theValue, 0, 255);
}
// A command number, or its four characters as the host spells commands ("quit").
bool IsCommand(const json& theValue)
{
    return IsLong(theValue) || (theValue.is_string() && theValue.get_ref<const std::string&>().size() == 4);
}
bool IsRect(const json& theValue)
{
    return IsShortArray(theValue, 4);
}
bool IsDbut(const json& theValue)
{
    return IsShortArray(theValue, 6);
}

// Members by name: the check of their value, and whether they must be there.
struct MemberRule {
    const char* itsName;
    MemberCheck itsCheck;
    bool bRequired;
};

const char* CheckMembers(const json& theValue, std::initializer_list<MemberRule> theRules)
{
    if (!theValue.is_object())
        return "is not an object";
    for (const MemberRule& rule : theRules) {
        const auto member = theValue.find(rule.itsName);
        if (member == theValue.end()) {
            if (rule.bRequired)
                return rule.itsName;
        } else if (!rule.itsCheck(*member)) {
            return rule.itsName;
        }
    }
    return nullptr;
}

const char* const kItemTypes[]
    = { "user", "help", "button", "checkbox", "radio", "control", "text", "edit", "icon", "picture" };

const char* CheckItem(const json& theItem)
{
    if (const char* wrong = CheckMembers(theItem,
            { { "rect", IsRect, true }, { "type", IsString, true }, { "text", IsString, false },
                { "disabled", IsBool, false }, { "kind", IsByte, false }, { "id", IsShort, false },
                { "shown", IsBool, false }, { "dbut", IsDbut, false }, { "pict", IsShort, false } }))
        return wrong;
    const std::string& type = theItem["type"].get_ref<const std::string&>();
    for (const char* known : kItemTypes)
        if (type == known)
            return nullptr;
    return "type";
}

const char* CheckMenuItem(const json& theItem)
{
    return CheckMembers(theItem,
        { { "text", IsString, true }, { "key", IsString, false }, { "command", IsCommand, false },
            { "enabled", IsBool, false }, { "submenu", IsShort, false }, { "mark", IsString, false } });
}

template <typename TCheck> const char* CheckEach(const json& theValue, TCheck theCheck)
{
    if (!theValue.is_array())
        return "is not a list";
    for (const json& element : theValue)
        if (const char* wrong = theCheck(element))
            return wrong;
    return nullptr;
}

// Null when theResource has the shape its type asks for. Types this program
// does not know are kept as they are.
const char* CheckResource(const std::string& theType, const json& theResource)
{
    if (theType == "TEXT" || theType == "LTXT" || theType == "PICT" || theType == "vers")
        return theResource.is_string() ? nullptr : "is not a text";
    if (theType == "STR#")
        return CheckEach(
            theResource, [](const json& theEntry) { return theEntry.is_string() ? nullptr : "entry"; });
    if (theType == "MBAR")
        return CheckEach(
            theResource, [](const json& theId) { return IsShortValue(theId) ? nullptr : "menu ID"; });
    if (theType == "DLOG")
        return CheckMembers(theResource,
            { { "bounds", IsRect, true }, { "title", IsString, false }, { "procID", IsShort, false },
                { "visible", IsBool, false }, { "goAway", IsBool, false } });
    if (theType == "DITL")
        return CheckEach(theResource, CheckItem);
    if (theType == "MENU") {
        if (const char* wrong = CheckMembers(theResource,
                { { "title", IsString, true }, { "id", IsShort, false }, { "command", IsCommand, false } }))
            return wrong;
        const auto items = theResource.find("items");
        return items == theResource.end() ? nullptr : CheckEach(*items, CheckMenuItem);
    }
    return nullptr;
}

// A resource ID written as a key: decimal digits with an optional minus sign.
bool ParseId(const std::string& theKey, int& theId)
{
    if (theKey.empty() || theKey.size() > 6)
        return false;
    const char* at = theKey.c_str();
    char* end = nullptr;
    const long id = std::strtol(at, &end, 10);
    // Only the plain spelling, so that a lookup by number finds every resource.
    if (*end || id < SHRT_MIN || id > SHRT_MAX || std::to_string(id) != theKey)
        return false;
    theId = static_cast<int>(id);
    return true;
}

std::string CheckDocument(const json& theDocument)
{
    if (!theDocument.is_object())
        return "the bundle is not a JSON object";
    for (const auto& [type, resources] : theDocument.items()) {
        if (!resources.is_object())
            return "\"" + type + "\" is not an object of resources";
        for (const auto& [key, resource] : resources.items()) {
            int id = 0;
            if (!ParseId(key, id))
                return "\"" + type + "\" has the ID \"" + key + "\", which is not a 16-bit number";
            if (const char* wrong = CheckResource(type, resource))
                return type + " " + key + ": " + wrong + " is missing or of the wrong kind";
        }
    }
    return std::string();
}

} // namespace

bool IsShortValue(const json& theValue)
{
    return IsInteger(theValue, SHRT_MIN, SHRT_MAX);
}

int ShortValue(const json& theValue)
{
    return IsShortValue(theValue) ? static_cast<int>(theValue.get<std::int64_t>()) : 0;
}

Cstring TextMember(const json& theObject, const char* theName, const char* theDefault)
{
    const auto member = theObject.find(theName);
    if (member == theObject.end() || !member->is_string())
        return Cstring(theDefault);
    return Cstring(member->get_ref<const std::string&>().c_str());
}

bool BoolMember(const json& theObject, const char* theName, bool bDefault)
{
    const auto member = theObject.find(theName);
    return member != theObject.end() && member->is_boolean() ? member->get<bool>() : bDefault;
}

long NumberMember(const json& theObject, const char* theName, long theDefault)
{
    const auto member = theObject.find(theName);
    return member != theObject.end() && IsLong(*member) ? static_cast<long>(member->get<std::int64_t>())
                                                        : theDefault;
}

int32_t CommandMember(const json& theObject, const char* theName)
{
    const auto member = theObject.find(theName);
    if (member == theObject.end() || !IsCommand(*member))
        return 0;
    if (!member->is_string())
        return static_cast<int32_t>(member->get<std::int64_t>());
    uint32_t code = 0;
    for (const char letter : member->get_ref<const std::string&>())
        code = code << 8 | static_cast<unsigned char>(letter);
    return static_cast<int32_t>(code);
}

CResourceBundle::CResourceBundle(json&& theDocument)
    : itsDocument(std::move(theDocument))
{
}

std::unique_ptr<CResourceBundle> CResourceBundle::Parse(
    const char* theData, size_t theSize, Cstring& theReason)
{
    json document;
    std::string reason;
    CBundleSax sax(document, reason);
    const bool bParsed = json::sax_parse(theData, theData + theSize, &sax);
    if (!bParsed || sax.is_errored()) {
        theReason = reason.empty() ? "it is not valid JSON" : reason.c_str();
        return nullptr;
    }
    reason = CheckDocument(document);
    if (!reason.empty()) {
        theReason = reason.c_str();
        return nullptr;
    }
    return std::unique_ptr<CResourceBundle>(new CResourceBundle(std::move(document)));
}

const json* CResourceBundle::Find(const char* theType, int theId) const
{
    const auto resources = itsDocument.find(theType);
    if (resources == itsDocument.end())
        return nullptr;
    const auto resource = resources->find(std::to_string(theId));
    return resource == resources->end() ? nullptr : &*resource;
}
