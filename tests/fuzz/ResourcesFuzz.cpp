// Resource bundles. An input is a bundle's text; when it opens, every
// resource it holds is loaded by every loader that takes its type: texts,
// indexed strings, pictures, dialogs with their item lists, menu bars.

#include "FuzzSupport.h"
#include "platform/DialogTemplate.h"
#include "platform/MenuTemplate.h"
#include "platform/ResourceBundle.h"
#include "platform/Resources.h"

namespace {

FuzzSeeds Seeds()
{
    return {
        { "app", ReadWholeFile(PW_APP_BUNDLE_PATH) },
        { "texts",
            R"({"STR#": {"10000": ["|PROGNAME| Updater", "", "x"]}, "TEXT": {"10012": "a\nb |ZIPNAME|"},
                       "LTXT": {"-3": "l"}, "vers": {"1": "5.0.1"}})" },
        { "dialog", R"({"DLOG": {"150": {"bounds": [40, 40, 520, 680], "title": "|PROGNAME|"}},
                        "DITL": {"150": [{"rect": [1, 2, 3, 4], "type": "button", "text": "Next >", "kind": 3,
                                 "id": 101, "dbut": [0, 0, 0, 0, 0, 0]}, {"rect": [0, 0, 0, 0], "type": "picture",
                                 "pict": 233}]}})" },
        { "menus", R"({"MBAR": {"130": [128, 129, 7]}, "MENU": {"128": {"title": "File", "items":
                       [{"text": "Quit", "key": "Q", "command": "quit"}, {"text": "-", "enabled": false}]},
                       "129": {"title": "Edit"}}})" },
        { "pictures",
            R"({"PICT": {"233": "data:image/png;base64,iVBORw0KGgo=", "234": "splash.png", "235": ".."}})" },
        { "wrong-shape", R"({"DITL": {"1": [{"rect": [1, 2, 3], "type": "button"}]}, "STR#": {"01": []}})" },
        { "deep", std::string(40, '[') + std::string(40, ']') },
    };
}

struct FoundResource {
    std::string itsType;
    int itsId;
    nlohmann::json itsValue;
};

// Every resource of a bundle that opened, so that each one gets loaded.
std::vector<FoundResource> Resources(const char* theData, size_t theSize)
{
    std::vector<FoundResource> found;
    const nlohmann::json document = nlohmann::json::parse(theData, theData + theSize, nullptr, false);
    if (!document.is_object())
        return found;
    for (const auto& [type, resources] : document.items())
        // Loaders name a type by a C string, which cannot hold a zero byte:
        // such a type is in the bundle but cannot be asked for.
        if (resources.is_object() && type.find('\0') == std::string::npos)
            for (const auto& [key, resource] : resources.items())
                found.push_back({ type, std::atoi(key.c_str()), resource });
    return found;
}

void LoadEverything(CResFile& theFile, const FoundResource& theResource)
{
    const std::string& theType = theResource.itsType;
    const int theId = theResource.itsId;
    const ResourceData data = LoadResource(&theFile, theType.c_str(), theId);
    if (theResource.itsValue.is_string())
        PW_FUZZ_CHECK(data.itsBytes == theResource.itsValue.get_ref<const std::string&>(),
            "%s %d loads other bytes than the bundle holds", theType.c_str(), theId);
    else
        PW_FUZZ_CHECK(!data.IsEmpty(), "%s %d is in the bundle but does not load", theType.c_str(), theId);
    GetPicture(&theFile, theId);
    for (int entry = 0; entry < 20; ++entry) {
        const int textId = theId + entry;
        unsigned char indexed[256];
        GetIndexedString(&theFile, textId, indexed);
        LoadText(&theFile, textId);
        LoadString(textId);
        if (theType != "STR#")
            break;
    }
    CDialogTemplate dialog;
    LoadDialogTemplate(theId, dialog);
    std::vector<CDialogItemDescription> items;
    LoadDialogItems(&theFile, theId, items);
    std::vector<CMenuTemplate> menus;
    LoadMenuBar(theId, menus);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    AddTextSubstitution("|ZIPNAME|", "Patchwell 5.0.1 Update");
    AddTextSubstitution("|PROGNAME|", "Patchwell");
    WriteFuzzFile(FuzzScratch() / "splash.png", "\x89PNG\r\n\x1a\n");
    return FuzzInitialize(pArgc, pArgv, Seeds);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    static CResFile* const file = new CResFile();
    const char* data = reinterpret_cast<const char*>(theData);
    const std::string name = (FuzzScratch() / "bundle.json").string();
    bool bOpened = false;
    {
        const CQuietStderr quiet; // a bundle that does not open says so, every time
        bOpened = file->OpenData(data, theSize, name.c_str());
    }
    if (!bOpened) {
        PW_FUZZ_CHECK(!file->IsOpen() && !file->GetBundle(), "a bundle that did not open is used");
        return 0;
    }
    gLanguageResFile = file;
    for (const FoundResource& resource : Resources(data, theSize))
        LoadEverything(*file, resource);
    gLanguageResFile = nullptr;
    return 0;
}
