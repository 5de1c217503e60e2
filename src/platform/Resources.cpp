#include "platform/Resources.h"

#include "foundation/Arrays.h"
#include "foundation/ProgramFolders.h"
#include "platform/ResourceBundle.h"

#include <cstdio>
#include <cstring>
#include <nettle/base64.h>
#include <vector>

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
const long kMaxBundleSize = 32L * 1024 * 1024;
const char* const kPictureDataPrefix = "data:image/png;base64,";

int NextRefNum()
{
    static int refNum = 0;
    refNum = refNum >= 32767 ? 1 : refNum + 1;
    return refNum;
}

bool ReadWholeFile(const char* thePath, std::vector<char>& theData, Cstring& theReason)
{
    FILE* file = IsPlainFile(thePath) ? std::fopen(thePath, "rb") : nullptr;
    if (!file) {
        theReason = "it cannot be read";
        return false;
    }
    bool bRead = std::fseek(file, 0, SEEK_END) == 0;
    const long size = bRead ? std::ftell(file) : -1;
    if (size < 0 || size > kMaxBundleSize) {
        theReason = size < 0 ? "it cannot be read" : "it is too large";
        std::fclose(file);
        return false;
    }
    std::rewind(file);
    theData.resize(static_cast<size_t>(size));
    bRead = std::fread(theData.data(), 1, theData.size(), file) == theData.size();
    std::fclose(file);
    if (!bRead)
        theReason = "it cannot be read";
    return bRead;
}

std::string DecodeBase64(const char* theText)
{
    const size_t length = std::strlen(theText);
    std::string decoded(BASE64_DECODE_LENGTH(length), '\0');
    base64_decode_ctx context;
    base64_decode_init(&context);
    size_t decodedLength = decoded.size();
    if (!base64_decode_update(
            &context, &decodedLength, reinterpret_cast<uint8_t*>(decoded.data()), length, theText)
        || !base64_decode_final(&context))
        return std::string();
    decoded.resize(decodedLength);
    return decoded;
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
    std::vector<char> data;
    Cstring reason;
    if (!ReadWholeFile(itsPath.GetText(), data, reason)) {
        std::fprintf(
            stderr, "Resource file \"%s\" cannot be used: %s\n", itsPath.GetText(), reason.GetText());
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

ResourceData GetPicture(const CResFile* theFile, int theId)
{
    ResourceData picture = LoadResource(theFile, "PICT", theId);
    const std::string source = picture.itsBytes;
    picture.itsBytes.clear();
    if (source.compare(0, std::strlen(kPictureDataPrefix), kPictureDataPrefix) == 0) {
        picture.itsBytes = DecodeBase64(source.c_str() + std::strlen(kPictureDataPrefix));
        return picture;
    }
    // Otherwise a file beside the bundle; a name that reaches elsewhere is refused.
    if (source.empty() || source.find('/') != std::string::npos || source == ".." || !theFile
        || theFile->GetPath().IsEmpty())
        return picture;
    Cstring folder(theFile->GetPath());
    if (char* last = std::strrchr(folder.GetBuffer(), '/'))
        last[1] = 0;
    else
        folder = "";
    std::vector<char> bytes;
    Cstring reason;
    if (ReadWholeFile(Cstring(folder, source.c_str()).GetText(), bytes, reason))
        picture.itsBytes.assign(bytes.begin(), bytes.end());
    return picture;
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
