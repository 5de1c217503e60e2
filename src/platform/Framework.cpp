#include "platform/Framework.h"

#include "platform/Host.h"
#include "platform/PrintJob.h"

FrameworkState gFramework;
Cstring gCommandLine;

void CreatePrintSession()
{
    if (!gFramework.itsPrintJob)
        gFramework.itsPrintJob = new CPrintJob();
}

void SelectPrinter(const Cstring& thePrinterName)
{
    CPrintJob* job = gFramework.itsPrintJob;
    if (!job)
        return;
    const Cstring name = thePrinterName.IsEmpty() ? job->DefaultPrinterName() : thePrinterName;
    // The job sets its page up for the printer once, then lets go.
    if (job->Prepare() == 0)
        job->SetPrinter(name.GetText());
    job->Release();
}

Cstring DefaultPrinterName()
{
    return gFramework.itsPrintJob ? gFramework.itsPrintJob->DefaultPrinterName() : Cstring();
}

void DestroyPrintSession()
{
    delete gFramework.itsPrintJob;
    gFramework.itsPrintJob = nullptr;
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
