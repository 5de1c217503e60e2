#pragma once

#include "platform/Resources.h"

// The three lookup files are process-wide: a test installs its own and this
// puts back what was there when it goes.
class CSavedResFiles {
public:
    CSavedResFiles()
        : itsApp(gAppResFile)
        , itsLanguage(gLanguageResFile)
        , itsLibrary(gLibraryResFile)
    {
        gAppResFile = gLanguageResFile = gLibraryResFile = nullptr;
    }
    ~CSavedResFiles()
    {
        gAppResFile = itsApp;
        gLanguageResFile = itsLanguage;
        gLibraryResFile = itsLibrary;
    }
    CSavedResFiles(const CSavedResFiles&) = delete;
    CSavedResFiles& operator=(const CSavedResFiles&) = delete;

private:
    CResFile* itsApp;
    CResFile* itsLanguage;
    CResFile* itsLibrary;
};
