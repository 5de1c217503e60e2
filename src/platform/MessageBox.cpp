#include "platform/MessageBox.h"

#include <cstdio>
#include <utility>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

} // namespace

int MessageBox(const char* theText, int theStyle)
{
    if (!theText)
        theText = "";
    if (Hook())
        return Hook()(theText, theStyle);
    std::fprintf(stderr, "%s\n", theText);
    return theStyle == kMessageBoxYesNo ? kResultNo : kResultOk;
}

void SetMessageBoxHook(MessageBoxHook theHook)
{
    Hook() = std::move(theHook);
}
