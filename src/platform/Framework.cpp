#include "platform/Framework.h"

#include "platform/Host.h"

FrameworkState gFramework;
Cstring gCommandLine;

void CreatePrintSession()
{
    gFramework.bPrintSession = Host().CreatePrintSession();
}

void SelectPrinter(const Cstring& thePrinterName)
{
    if (gFramework.bPrintSession)
        Host().SelectPrinter(thePrinterName.GetText());
}

Cstring DefaultPrinterName()
{
    return Host().DefaultPrinterName();
}

void DestroyPrintSession()
{
    if (gFramework.bPrintSession)
        Host().DestroyPrintSession();
    gFramework.bPrintSession = false;
}

void InstallFillPatterns()
{
    gFramework.bFillPatterns = true;
}

void CreateCursors()
{
    Host().SetCursor(128);
    gFramework.bCursors = true;
}

void ReleaseDrawingResources()
{
    gFramework.bFillPatterns = false;
    gFramework.bCursors = false;
}

void RunApplicationEventLoop()
{
    CHost& host = Host();
    if (!host.HasWindows())
        return;
    host.StartIdleTick();
    host.RunApplicationLoop();
    host.StopIdleTick();
}

void QuitApplicationEventLoop()
{
    Host().QuitApplicationLoop();
}
