#include "platform/Host.h"

#include "platform/ConsoleHost.h"
#include "platform/Drawing.h"
#include "platform/ListView.h"
#include "platform/OverwriteDialog.h"
#include "platform/PrinterView.h"

#include <chrono>

namespace {

CHost* gHost = nullptr;

} // namespace

CHost& Host()
{
    static CConsoleHost console;
    return gHost ? *gHost : console;
}

void SetHost(CHost* pHost)
{
    gHost = pHost;
}

uint64_t CHost::Microseconds() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

int CHost::AskOverwrite(const char* thePath, uint32_t theEntryCount)
{
    COverwriteDialog dialog(thePath, theEntryCount);
    return dialog.DoModal();
}

std::unique_ptr<CListPeer> CHost::MakeListView(CListView&, CDialog&, ControlEntry&)
{
    return nullptr;
}

std::unique_ptr<CPrinterView> CHost::MakePrinter()
{
    return nullptr;
}

std::unique_ptr<CDrawContext> CHost::MakeOffscreen(int, int)
{
    return nullptr;
}
