#include "foundation/Profile.h"

#include "foundation/Assert.h"
#include "foundation/ProfileText.h"
#include "foundation/ProgramFolders.h"
#include "foundation/RegularFile.h"
#include "foundation/UserFolders.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

CProfileEntry* gProfileEntries = nullptr;
Cstring gProfileFileName;

// Used when the resources carry no name, so that a profile is still found.
const char* const kDefaultProfileFileName = "Patchwell Settings.txt";

// Calls theVisit(key, index, value) for each line of one profile file; a file
// that is missing or unreadable has no lines.
template <typename TVisit> void ReadProfileFile(const Cstring& theFolder, TVisit theVisit)
{
    if (theFolder.IsEmpty())
        return; // never a file in whatever the working folder happens to be
    const Cstring path = Cstring::Path(theFolder, ProfileFileName().GetText());
    int error = 0;
    FILE* file = OpenRegularFile(path.GetText(), "r", error);
    if (!file)
        return;
    Cstring line;
    Cstring key;
    Cstring value;
    int index = -1;
    while (ReadLine(file, line)) {
        ReadEntryLine(line.GetText(), key, index, value);
        theVisit(key, index, value);
    }
    std::fclose(file);
}

template <typename TVisit> void ReadBothProfiles(TVisit theVisit)
{
    ReadProfileFile(BaseProgramPath, theVisit);
    ReadProfileFile(PreferencesFolder(), theVisit);
}

} // namespace

void RegisterEntry(CProfileEntry* pObj)
{
    PW_ASSERT_TEXT(pObj != nullptr, "pObj!=NULL");
    pObj->itsNext = gProfileEntries;
    gProfileEntries = pObj;
}

CProfileEntry* FirstProfileEntry()
{
    return gProfileEntries;
}

CProfileEntry* FindProfileEntry(const char* theKey)
{
    for (CProfileEntry* entry = gProfileEntries; entry; entry = entry->itsNext)
        if (theKey && std::strcmp(entry->GetKey().GetText(), theKey) == 0)
            return entry;
    return nullptr;
}

void SetProfileDefaults(long theLengthScale)
{
    if (!gProfileEntries)
        RegisterProfileKeys();
    SetSettingDefaults(theLengthScale);
}

void ClearChanged()
{
    for (CProfileEntry* entry = gProfileEntries; entry; entry = entry->itsNext)
        entry->ClearChanged();
}

void ApplyProfile(int theGroup)
{
    for (CProfileEntry* entry = gProfileEntries; entry; entry = entry->itsNext)
        if ((theGroup == -1 || entry->IsInGroup(theGroup)) && entry->IsChanged())
            entry->Apply();
}

void LoadProfile(int theGroup)
{
    ClearChanged();
    // The user's file comes second, so its values win.
    ReadBothProfiles([](const Cstring& theKey, int, const Cstring& theValue) {
        if (CProfileEntry* entry = FindProfileEntry(theKey.GetText()))
            entry->Parse(theValue.GetText());
    });
    ApplyProfile(theGroup);
    ClearChanged();
}

Cstring GetProfileString(const char* theKey)
{
    Cstring results[2];
    int file = 0;
    auto visit = [&](const Cstring& theLineKey, int, const Cstring& theValue) {
        const CProfileEntry* entry = FindProfileEntry(theLineKey.GetText());
        if (entry && theKey && strcasecmp(entry->GetKey().GetText(), theKey) == 0)
            results[file] = entry->NormaliseValue(theValue.GetText());
    };
    ReadProfileFile(BaseProgramPath, visit);
    file = 1;
    ReadProfileFile(PreferencesFolder(), visit);
    return results[1].IsNotEmpty() ? results[1] : results[0];
}

void DeleteProfileEntries()
{
    while (CProfileEntry* entry = gProfileEntries) {
        gProfileEntries = entry->itsNext;
        delete entry;
    }
}

const Cstring& ProfileFileName()
{
    if (gProfileFileName.IsEmpty()) {
        gProfileFileName = Cstring(10006);
        if (gProfileFileName.IsEmpty())
            gProfileFileName = kDefaultProfileFileName;
    }
    return gProfileFileName;
}

void SetProfileFileName(const char* theName)
{
    gProfileFileName = theName;
}
