#pragma once

#include "foundation/Cstring.h"

#include <vector>

// Where the entries of an archive land: each name rewritten by the name
// rules, then placed beneath the destination (or, without one, beneath the
// program folder, with "My Library/" and "My Projects/" beneath the projects
// folder). The extractor, the check before a run and the up-to-date test
// share it, so that the names they look at are the names written.
class CEntryPlacement {
public:
    // The placement of an update: "NewFiles/" mapped away, beneath theTarget.
    static CEntryPlacement ForUpdate(const char* theTarget);

    // Adds the rule "from|to|extra" when from and to are both given.
    void AddNameMapping(const char* theFrom, const char* theTo, const char* theExtra = nullptr);
    // An entry name exactly equal to a rule's "from" becomes its "to" and the
    // next rule is tried; a longer name that starts with "from" in any case
    // gets "to" in place of that start, and no further rule applies.
    Cstring MapEntryName(const char* theName) const;

    // Empty: the program folder's rules above.
    void SetDestination(const char* theFolder) { itsDestination = theFolder ? theFolder : ""; }
    // Where the entry of that mapped name is written, as the log names it.
    Cstring DestinationPath(const Cstring& theName) const;
    // The folder a mapped name is placed beneath, and its name there.
    void DestinationPlace(const Cstring& theName, Cstring& theRoot, Cstring& theRelative) const;
    // The same, with the name split into the folder beneath the root and the
    // file's name (empty for a folder entry).
    void WritePlace(const Cstring& theName, Cstring& theRoot, Cstring& theFolder, Cstring& theFile) const;

private:
    struct NameRule {
        Cstring itsFrom;
        Cstring itsTo;
    };
    std::vector<NameRule> itsNameRules;
    Cstring itsDestination;
};
