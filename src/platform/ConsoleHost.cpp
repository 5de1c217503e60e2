#include "platform/ConsoleHost.h"

#include "platform/MessageBox.h"
#include "platform/controlentry.h"
#include "platform/mcwin.h"

#include <cstdio>

std::atomic<int> CConsoleHost::itsStopRequests { 0 };

static_assert(std::atomic<int>::is_always_lock_free, "the stop request is set from a signal handler");

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
    return itsStopRequests.load() > 0 ? 1 : theAlert.itsCancelButton;
}

int CConsoleHost::AskOverwrite(const char*, uint32_t)
{
    return kResultNo;
}

bool CConsoleHost::PollUserCancel()
{
    const int requests = itsStopRequests.load();
    const bool bNew = requests != itsStopsSeen;
    itsStopsSeen = requests;
    return bNew;
}

void CConsoleHost::RequestStop()
{
    itsStopRequests.fetch_add(1);
}
