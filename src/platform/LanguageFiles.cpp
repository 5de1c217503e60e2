#include "platform/LanguageFiles.h"

#include "platform/Resources.h"
#include "platform/SystemServices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>

namespace {

const char kInstalledLanguages[] = "../share/patchwell-updater/languages";

// "de_DE.UTF-8@euro" gives "de_DE"; a name with anything but letters, digits,
// "_" and "-" gives nothing, so no variable can name a path.
std::string LocaleName(std::string_view theEntry)
{
    theEntry = theEntry.substr(0, theEntry.find_first_of(".@"));
    for (const char c : theEntry)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'))
            return std::string();
    return std::string(theEntry);
}

// Adds "de_DE" and "de" for one entry; false when the list ends with it.
bool AddLocale(std::string_view theEntry, std::vector<std::string>& theNames)
{
    const std::string name = LocaleName(theEntry);
    if (name.empty())
        return true;
    if (name == "C" || name == "POSIX")
        return false;
    const std::string language = name.substr(0, name.find_first_of("_-"));
    for (const std::string& candidate : { name, language })
        if (!candidate.empty() && std::find(theNames.begin(), theNames.end(), candidate) == theNames.end())
            theNames.push_back(candidate);
    return language != "en";
}

bool IsSet(const char* theValue)
{
    return theValue && *theValue;
}

} // namespace

LocaleVariables LocaleVariables::FromEnvironment()
{
    return { std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
        std::getenv("LANG") };
}

std::vector<std::string> LanguageFileNames(const LocaleVariables& theLocale)
{
    std::vector<std::string> names;
    if (IsSet(theLocale.itsLanguage)) {
        std::string_view list(theLocale.itsLanguage);
        for (size_t start = 0; start <= list.size();) {
            const size_t end = std::min(list.find(':', start), list.size());
            if (!AddLocale(list.substr(start, end - start), names))
                return names;
            start = end + 1;
        }
    }
    // The locale in force: LC_ALL overrides LC_MESSAGES, which overrides LANG.
    for (const char* locale : { theLocale.itsAll, theLocale.itsMessages, theLocale.itsLang })
        if (IsSet(locale)) {
            AddLocale(locale, names);
            break;
        }
    return names;
}

std::vector<Cstring> LanguageFolders(const Cstring& theProgramFolder)
{
    if (theProgramFolder.IsEmpty())
        return {};
    return { Cstring::Path(theProgramFolder, kInstalledLanguages),
        Cstring::Path(theProgramFolder, "languages") };
}

Cstring FindLanguageFile(const LocaleVariables& theLocale, const std::vector<Cstring>& theFolders)
{
    for (const std::string& name : LanguageFileNames(theLocale))
        for (const Cstring& folder : theFolders) {
            const Cstring path = Cstring::Path(folder, (name + ".json").c_str());
            struct stat info;
            if (stat(path.GetText(), &info) == 0 && S_ISREG(info.st_mode))
                return path;
        }
    return Cstring();
}

void UseLanguageFile(const Cstring& thePath)
{
    // The choice is made once early for the command line, then again by
    // start-up: a file that failed is not opened, nor reported, twice.
    static Cstring failed;
    if (gLanguageResFile && gLanguageResFile->GetPath() == thePath)
        return;
    delete gLanguageResFile;
    gLanguageResFile = nullptr;
    if (thePath.IsEmpty() || thePath == failed || !FileExists(thePath.GetText()))
        return;
    gLanguageResFile = new CResFile(thePath.GetText());
    if (!gLanguageResFile->IsOpen()) {
        delete gLanguageResFile;
        gLanguageResFile = nullptr;
        failed = thePath;
    }
}
