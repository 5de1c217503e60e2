#include "platform/ChooseFolder.h"

#include "platform/Host.h"

int ChooseFolder(const char* thePrompt, Cstring& theFolder)
{
    return Host().ChooseFolder(thePrompt ? thePrompt : "", theFolder);
}

int ChooseFileOrFolder(const char* thePrompt, const char* theFileTypes, Cstring& thePath)
{
    return Host().ChooseFileOrFolder(thePrompt ? thePrompt : "", theFileTypes ? theFileTypes : "", thePath);
}
