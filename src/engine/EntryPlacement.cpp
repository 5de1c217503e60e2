#include "engine/EntryPlacement.h"

#include "foundation/Arrays.h"
#include "foundation/ProfileSettings.h"
#include "foundation/ProgramFolders.h"

#include <cstring>
#include <string>
#include <strings.h>

CEntryPlacement CEntryPlacement::ForUpdate(const char* theTarget)
{
    CEntryPlacement placement;
    placement.AddNameMapping("NewFiles/", "", nullptr);
    placement.SetDestination(theTarget);
    return placement;
}

void CEntryPlacement::AddNameMapping(const char* theFrom, const char* theTo, const char* theExtra)
{
    if (!theFrom || !theTo)
        return;
    Cstring rule;
    rule.Format("%s|%s|%s", theFrom, theTo, theExtra ? theExtra : "");
    // Split once here: every entry's name is mapped several times.
    CStringArray fields;
    rule.Split(fields, '|');
    itsNameRules.push_back({ fields.GetCount() > 0 ? fields.At(0) : Cstring(""),
        fields.GetCount() > 1 ? fields.At(1) : Cstring("") });
}

Cstring CEntryPlacement::MapEntryName(const char* theName) const
{
    Cstring result(theName);
    for (const NameRule& rule : itsNameRules) {
        const char* from = rule.itsFrom.GetText();
        const char* to = rule.itsTo.GetText();
        if (std::strcmp(theName, from) == 0) {
            result = to;
        } else if (StartsWithNoCase(theName, from)) {
            result = Cstring(to, theName + std::strlen(from));
            break;
        }
    }
    return result;
}

Cstring CEntryPlacement::DestinationPath(const Cstring& theName) const
{
    if (*theName.GetText() == '/')
        return theName;
    Cstring root;
    Cstring relative;
    DestinationPlace(theName, root, relative);
    return Cstring::Path(root, relative.GetText());
}

void CEntryPlacement::DestinationPlace(const Cstring& theName, Cstring& theRoot, Cstring& theRelative) const
{
    theRoot = itsDestination.IsNotEmpty() ? itsDestination : BaseProgramPath;
    theRelative = theName;
    if (itsDestination.IsNotEmpty())
        return;
    if (const char* slash = std::strchr(theName.GetText(), '/')) {
        const std::string first(theName.GetText(), slash);
        if (strcasecmp(first.c_str(), "My Library") == 0 || strcasecmp(first.c_str(), "My Projects") == 0) {
            theRoot = gMyProjectsPath;
            theRelative = slash + 1;
        }
    }
}

void CEntryPlacement::WritePlace(
    const Cstring& theName, Cstring& theRoot, Cstring& theFolder, Cstring& theFile) const
{
    Cstring relative;
    DestinationPlace(theName, theRoot, relative);
    if (theRoot.IsEmpty())
        theRoot = "."; // the working folder, as a path joined to nothing reads
    // Split by hand: the relative name means nothing to the working folder.
    const char* text = relative.GetText();
    const char* lastSlash = std::strrchr(text, '/');
    theFolder.Clear();
    if (lastSlash && lastSlash != text)
        theFolder.Assign(text, static_cast<int>(lastSlash - text));
    theFile = lastSlash ? lastSlash + 1 : text;
}
