#include "platform/ChooseFolder.h"

namespace {

ChooseFolderHook& Hook()
{
    static ChooseFolderHook hook;
    return hook;
}

} // namespace

int ChooseFolder(const char* thePrompt, Cstring& theFolder)
{
    return Hook() ? Hook()(thePrompt, theFolder) : 0;
}

void SetChooseFolderHook(ChooseFolderHook theHook)
{
    Hook() = std::move(theHook);
}
