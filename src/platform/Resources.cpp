#include "platform/Resources.h"

#include "foundation/Arrays.h"
#include "foundation/RegularFile.h"
#include "platform/ResourceBundle.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#if PW_HAVE_APP_BUNDLE
extern const unsigned char kAppBundleData[];
extern const std::size_t kAppBundleSize;
#endif

CResFile* gAppResFile = nullptr;
CResFile* gLanguageResFile = nullptr;
CResFile* gLibraryResFile = nullptr;
int gAppResRefNum = -1;

namespace {

// No bundle of ours comes near this; a bigger file is not read into memory.
const size_t kMaxBundleSize = 32 * 1024 * 1024;

int NextRefNum()
{
    static int refNum = 0;
    refNum = refNum >= 32767 ? 1 : refNum + 1;
    return refNum;
}

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

bool gSubstitutionsEnabled = true;

// Cstring's numbered texts are LoadString's from before main on: no text is
// asked for sooner, and no program can forget to set it up.
[[maybe_unused]] const bool kTextsFromResources = (SetTextSource(&LoadString), true);

} // namespace

CResFile::CResFile()
{
#if PW_HAVE_APP_BUNDLE
    OpenData(reinterpret_cast<const char*>(kAppBundleData), kAppBundleSize, "(application resources)");
#else
    OpenData("{}", 2, "(application resources)");
#endif
    itsPath = "";
    if (gAppResRefNum == -1)
        gAppResRefNum = itsRefNum;
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
    Close();
    itsPath = thePath;
    std::string data;
    int error = 0;
    if (!ReadRegularFile(itsPath.GetText(), kMaxBundleSize, data, error)) {
        std::fprintf(stderr, "Resource file \"%s\" cannot be used: %s\n", itsPath.GetText(),
            error == EFBIG ? "it is too large" : "it cannot be read");
        itsRefNum = -1;
        return false;
    }
    return OpenData(data.data(), data.size(), thePath);
}

bool CResFile::OpenData(const char* theData, size_t theSize, const char* theName)
{
    Close();
    itsPath = theName;
    Cstring reason;
    itsBundle = CResourceBundle::Parse(theData, theSize, reason);
    if (!itsBundle) {
        std::fprintf(stderr, "Resource file \"%s\" cannot be used: %s\n", theName, reason.GetText());
        itsRefNum = -1;
        return false;
    }
    itsRefNum = NextRefNum();
    return true;
}

void CResFile::Close()
{
    itsBundle.reset();
    itsRefNum = 0;
}

ResourceData LoadResource(const CResFile* theFile, const char* theType, int theId)
{
    ResourceData data;
    data.itsType = theType;
    data.itsId = theId;
    if (!theFile || !theFile->GetBundle())
        return data;
    const nlohmann::json* resource = theFile->GetBundle()->Find(theType, theId);
    if (!resource)
        return data;
    if (resource->is_string())
        data.itsBytes = resource->get_ref<const std::string&>();
    else
        data.itsBytes = resource->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return data;
}

bool GetIndexedString(const CResFile* theFile, int theTextId, unsigned char theString[256])
{
    theString[0] = 0;
    if (!theFile || !theFile->GetBundle())
        return false;
    const int entry = theTextId % 20 + 1;
    const nlohmann::json* list = theFile->GetBundle()->Find("STR#", theTextId / 20 * 20);
    if (!list || entry < 1 || static_cast<size_t>(entry) > list->size())
        return false;
    const std::string& text = (*list)[static_cast<size_t>(entry - 1)].get_ref<const std::string&>();
    if (text.size() > 255)
        return false;
    theString[0] = static_cast<unsigned char>(text.size());
    std::memcpy(theString + 1, text.data(), text.size());
    return true;
}

Cstring LoadText(const CResFile* theFile, int theTextId)
{
    Cstring text;
    if (!theFile || !theFile->IsOpen())
        return text;
    for (const char* type : { "TEXT", "LTXT" }) {
        const ResourceData data = LoadResource(theFile, type, theTextId);
        if (!data.IsEmpty()) {
            text.Assign(data.Data(), static_cast<int>(data.Size()));
            break;
        }
    }
    unsigned char indexed[256];
    if (text.IsEmpty() && GetIndexedString(theFile, theTextId, indexed) && indexed[0] > 0)
        text.Assign(reinterpret_cast<const char*>(indexed + 1), indexed[0]);
    ApplySubstitutions(text);
    return text;
}

Cstring LoadString(int theTextId, CResFile* theFile)
{
    if (theFile)
        return LoadText(theFile, theTextId);
    for (CResFile* file : { gLibraryResFile, gLanguageResFile }) {
        if (file && file->IsOpen()) {
            Cstring text = LoadText(file, theTextId);
            if (text.IsNotEmpty())
                return text;
        }
    }
    return LoadText(gAppResFile, theTextId);
}

const CResFile& OwnResources()
{
    // Kept for the whole process; it is not the application file of the
    // lookups, so it leaves that file's reference number alone.
    static const CResFile* own = [] {
        const int appRefNum = gAppResRefNum;
        const CResFile* file = new CResFile();
        gAppResRefNum = appRefNum;
        return file;
    }();
    return *own;
}

CResFile* FindResourceFile(const char* theType, int theId, ResourceOrder theOrder)
{
    CResFile* const textOrder[] = { gLibraryResFile, gLanguageResFile, gAppResFile };
    CResFile* const dialogOrder[] = { gLanguageResFile, gLibraryResFile, gAppResFile };
    for (CResFile* file : theOrder == ResourceOrder::kDialogs ? dialogOrder : textOrder)
        if (file && file->GetBundle() && file->GetBundle()->Find(theType, theId))
            return file;
    return nullptr;
}

void AddTextSubstitution(const char* theToken, const char* theReplacement)
{
    CStringPtrArray& tokens = Tokens();
    CStringPtrArray& replacements = Replacements();
    int slot = tokens.FindNoCase(theToken);
    if (slot >= 0 && replacements.GetCount() > slot) {
        // The token keeps the spelling it was first registered with.
        replacements.Put(slot, new Cstring(theReplacement));
        return;
    }
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
    if (!gSubstitutionsEnabled)
        return;
    CStringPtrArray& tokens = Tokens();
    CStringPtrArray& replacements = Replacements();
    for (int i = 0; i < tokens.GetCount() && i < replacements.GetCount(); ++i)
        if (tokens.At(i) && replacements.At(i))
            theText.Replace(tokens.At(i)->GetText(), replacements.At(i)->GetText());
}

void SetSubstitutionsEnabled(bool bEnabled)
{
    gSubstitutionsEnabled = bEnabled;
}
