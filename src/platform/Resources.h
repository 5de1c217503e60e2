#pragma once

#include "foundation/Cstring.h"

#include <cstddef>
#include <memory>
#include <string>

class CResourceBundle;

// A resource bundle: typed, numbered resources read from one JSON file, or the
// application's own bundle compiled into the program. A bundle that is not
// valid JSON or holds a resource of the wrong shape is reported once on
// standard error and does not open.
class CResFile {
public:
    CResFile(); // the application's own resources
    explicit CResFile(const char* thePath);
    ~CResFile();
    CResFile(const CResFile&) = delete;
    CResFile& operator=(const CResFile&) = delete;

    bool Open(const char* thePath);
    // Opens bundle text held in memory; theName stands for the file in messages.
    bool OpenData(const char* theData, size_t theSize, const char* theName);
    void Close();
    bool IsOpen() const { return itsRefNum > 0; }
    int GetRefNum() const { return itsRefNum; }
    const Cstring& GetPath() const { return itsPath; }
    // The open bundle, or null.
    const CResourceBundle* GetBundle() const { return itsBundle.get(); }

private:
    Cstring itsPath; // "" for the application's own resources
    int itsRefNum = 0; // 0 not open, -1 opening failed
    std::unique_ptr<CResourceBundle> itsBundle;
};

// The three files that resources are looked up in; the optional two are null
// when missing or unreadable.
extern CResFile* gAppResFile;
extern CResFile* gLanguageResFile;
extern CResFile* gLibraryResFile;
// The application file's reference number: -1 until the first one is made.
extern int gAppResRefNum;

// A loaded resource: texts as their bytes, pictures as image file bytes, other
// kinds as their JSON text. Empty when the resource is absent.
struct ResourceData {
    Cstring itsType;
    int itsId = 0;
    std::string itsBytes;

    bool IsEmpty() const { return itsBytes.empty(); }
    const char* Data() const { return itsBytes.data(); }
    size_t Size() const { return itsBytes.size(); }
};

ResourceData LoadResource(const CResFile* theFile, const char* theType, int theId);
// Picture theId as the bytes of an image file (PNG); empty when absent.
ResourceData GetPicture(const CResFile* theFile, int theId);

// TEXT, else LTXT, else entry (id mod 20) + 1 of STR# (id div 20) * 20; with
// the substitutions applied.
Cstring LoadText(const CResFile* theFile, int theTextId);
// STR# entry of text theTextId as a length-prefixed string of at most 255
// bytes; false when the entry is absent or too long.
bool GetIndexedString(const CResFile* theFile, int theTextId, unsigned char theString[256]);
// From theFile alone, or else the first non-empty text of the library file,
// the language file and the application's own file.
Cstring LoadString(int theTextId, CResFile* theFile = nullptr);

enum class ResourceOrder {
    kTexts, // library, language, application: texts and menu bars
    kDialogs, // language, library, application: dialogs
};
// The application's own resources as the program carries them, whatever
// files start-up has opened (or not yet): the English of every text.
const CResFile& OwnResources();

// The first open file of theOrder that holds the resource, or null.
CResFile* FindResourceFile(const char* theType, int theId, ResourceOrder theOrder);

// Registration ignores the token's case; replacement matches it exactly.
void AddTextSubstitution(const char* theToken, const char* theReplacement);
void ApplySubstitutions(Cstring& theText);
// Substitutions are applied while the switch is on (the default).
void SetSubstitutionsEnabled(bool bEnabled);
