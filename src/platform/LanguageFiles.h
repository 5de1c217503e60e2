#pragma once

#include "foundation/Cstring.h"

#include <string>
#include <vector>

// The locale variables that name the user's language, as the environment
// holds them (null when unset).
struct LocaleVariables {
    const char* itsLanguage = nullptr; // LANGUAGE: a colon list, most wanted first
    const char* itsAll = nullptr; // LC_ALL
    const char* itsMessages = nullptr; // LC_MESSAGES
    const char* itsLang = nullptr; // LANG

    static LocaleVariables FromEnvironment();
};

// The names of the language files to look for, most wanted first: "de_DE"
// and then "de" for "de_DE.UTF-8@euro". Each entry of LANGUAGE comes first,
// then the locale in force (LC_ALL, else LC_MESSAGES, else LANG). The list
// ends at a locale that is English ("en" is tried, since a file may exist for
// it, and nothing after it), "C" or "POSIX": the built-in texts are English.
// A name that could reach outside a folder is never listed.
std::vector<std::string> LanguageFileNames(const LocaleVariables& theLocale);

// Where language files are looked for, in order: the folder the package
// installs them in ("../share/patchwell-updater/languages" from the program's
// folder), then "languages" beside the program, as in an update kit. They
// come with the program, so they are trusted as it is: a kit that an
// installed updater opens with --bundle cannot change its texts.
std::vector<Cstring> LanguageFolders(const Cstring& theProgramFolder);

// The first "<folder>/<name>.json" that is a regular file, names before
// folders; empty when there is none and the texts stay English.
Cstring FindLanguageFile(const LocaleVariables& theLocale, const std::vector<Cstring>& theFolders);

// Makes the file at thePath the language file, replacing the one open;
// empty: none. A file that is missing or does not open is dropped (a
// malformed one is reported once, naming the file and what is wrong) and the
// texts stay English. Choosing the file open already keeps it.
void UseLanguageFile(const Cstring& thePath);
