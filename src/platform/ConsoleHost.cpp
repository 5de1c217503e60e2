#include "platform/ConsoleHost.h"

#include "platform/MessageBox.h"
#include "platform/controlentry.h"
#include "platform/mcwin.h"

#include <cstdio>

std::unique_ptr<CWindowView> CConsoleHost::MakeWindow(CWindow&)
{
    return nullptr;
}

std::unique_ptr<CControlView> CConsoleHost::MakeControl(CWindow&, ControlEntry&)
{
    return nullptr;
}

int CConsoleHost::ShowAlert(const CAlert& theAlert)
{
    std::fprintf(stderr, "%s\n", theAlert.itsText.GetText());
    return theAlert.itsCancelButton;
}

int CConsoleHost::AskOverwrite(const char*, uint32_t)
{
    return kResultNo;
}
