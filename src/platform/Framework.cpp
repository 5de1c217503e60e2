#include "platform/Framework.h"

FrameworkState gFramework;
Cstring gCommandLine;

// This host has no printer or cursor services yet; the calls keep their
// places in start-up and clean-up so the window layer can fill them in.
void CreatePrintSession()
{
    gFramework.bPrintSession = true;
}

void SelectPrinter(const Cstring&)
{
}

void DestroyPrintSession()
{
    gFramework.bPrintSession = false;
}

void InstallFillPatterns()
{
    gFramework.bFillPatterns = true;
}

void CreateCursors()
{
    gFramework.bCursors = true;
}

void ReleaseDrawingResources()
{
    gFramework.bFillPatterns = false;
    gFramework.bCursors = false;
}

bool HasWindowSystem()
{
    return false;
}

void RunApplicationEventLoop()
{
}

void QuitApplicationEventLoop()
{
}
