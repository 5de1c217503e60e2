#pragma once

#include "foundation/Cstring.h"

#include <string>
#include <vector>

// Lists one folder with the system's own files filtered out, entries handed
// out sorted by name so "the first match" is the same on every machine.
// Bundles (".app", ".pkg") are reported as files. A folder that cannot be
// listed yields no entries.
class CFolderIterator {
public:
    // A null folder lists the root. theCasePattern, when given, is a shell
    // pattern ("*.zip") matched ignoring case.
    explicit CFolderIterator(const char* theFolder, const char* thePattern = nullptr);

    // Steps to the next entry; false at the end.
    bool Next();
    const Cstring& GetName() const { return itsName; }
    bool IsFolder() const { return itsIsFolder; }
    Cstring GetPath() const { return Cstring::Path(itsFolder, itsName.GetText()); }

private:
    struct Entry {
        std::string name;
        bool isFolder;
    };

    Cstring itsFolder;
    std::vector<Entry> itsEntries;
    size_t itsIndex = 0;
    Cstring itsName;
    bool itsIsFolder = false;
};

// The names the iterator hides: in every folder, and at the root.
bool IsHiddenName(const char* theName, bool bAtRoot);
