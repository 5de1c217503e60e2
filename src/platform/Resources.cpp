#include "platform/Resources.h"

#include "foundation/Arrays.h"

CResFile* gAppResFile = nullptr;
CResFile* gLanguageResFile = nullptr;
CResFile* gLibraryResFile = nullptr;

namespace {

CStringPtrArray& Tokens()
{
    static CStringPtrArray tokens;
    return tokens;
}

CStringPtrArray& Replacements()
{
    static CStringPtrArray replacements;
    return replacements;
}

} // namespace

CResFile::CResFile()
    : itsRefNum(1)
{
}

CResFile::CResFile(const char* thePath)
{
    Open(thePath);
}

CResFile::~CResFile()
{
    Close();
}

bool CResFile::Open(const char* thePath)
{
    // Bundles from files are read once the bundle format lands.
    itsPath = thePath;
    itsRefNum = -1;
    return false;
}

void CResFile::Close()
{
    itsRefNum = 0;
}

Cstring LoadString(int /*theTextId*/, CResFile* /*theFile*/)
{
    return Cstring();
}

void AddTextSubstitution(const char* theToken, const char* theReplacement)
{
    CStringPtrArray& tokens = Tokens();
    CStringPtrArray& replacements = Replacements();
    int slot = tokens.FindNoCase(theToken);
    if (slot < 0)
        slot = tokens.FindEmpty();
    if (slot < 0) {
        tokens.Add(nullptr);
        replacements.SetSize(tokens.GetCount());
        slot = tokens.GetCount() - 1;
    }
    tokens.Put(slot, new Cstring(theToken));
    replacements.Put(slot, new Cstring(theReplacement));
}

void ApplySubstitutions(Cstring& theText)
{
    CStringPtrArray& tokens = Tokens();
    CStringPtrArray& replacements = Replacements();
    for (int i = 0; i < tokens.GetCount() && i < replacements.GetCount(); ++i)
        if (tokens.At(i) && replacements.At(i))
            theText.Replace(tokens.At(i)->GetText(), replacements.At(i)->GetText());
}
