#pragma once

#include "foundation/CList.h"
#include "foundation/Cstring.h"

#include <cstdint>

class CPrintJob;

// Framework state that start-up sets and clean-up tears down. The updater's
// own flow reads none of it beyond keeping it alive for the window.
struct FrameworkState {
    uint32_t itsInstance = 0;
    long itsLengthScale = 0; // the numeric default drawing values derive from
    bool bFillPatterns = false;
    CPrintJob* itsPrintJob = nullptr; // the process's print job, with its printer and page set-up
    bool bCursors = false;
    Cstring itsDrawingText; // string resource 10072
    Cstring itsFontNames[3]; // the three framework fonts
    int itsFontSizes[3] = { 0, 0, 0 };
    CList itsDeferredObjects; // objects whose deletion waits for the end of the run
    void* itsOffscreen = nullptr;
    Cstring itsWindowLocationBuffers[2];
};

extern FrameworkState gFramework;

// The arguments after the program path, joined by single spaces.
extern Cstring gCommandLine;

// The process's print job. SelectPrinter makes the named printer (empty: the
// default one) current and lets the job set its page up once for it.
void CreatePrintSession();
void SelectPrinter(const Cstring& thePrinterName);
// The desktop's default printer, or "Default Printer" when it has none.
Cstring DefaultPrinterName();
void DestroyPrintSession();
void InstallFillPatterns();
void CreateCursors();
void ReleaseDrawingResources();
// Runs the host's application loop, with the idle tick, until it is quit;
// returns at once on a host without windows.
void RunApplicationEventLoop();
// Ends the loop that RunApplicationEventLoop runs.
void QuitApplicationEventLoop();
