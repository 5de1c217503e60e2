#include "platform/ChooseFolder.h"

#include "platform/Host.h"

int ChooseFolder(const char* thePrompt, Cstring& theFolder)
{
    return Host().ChooseFolder(thePrompt ? thePrompt : "", theFolder);
}
