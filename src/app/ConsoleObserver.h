#pragma once

#include "engine/Progress.h"
#include "engine/UpdateObserver.h"
#include "platform/DialogItems.h"

#include <atomic>
#include <cstdio>

// The console's side of an update run (--apply). Progress is shown on a
// stream as "File 3 of 20, 45%" whenever either changes: on a terminal the
// one line is rewritten in place, to a pipe or a file every change is a
// whole line, so that a log or another program can follow it. With log
// lines on, each line of the update's log is printed too. A stop is asked
// for by SIGINT or SIGTERM. After SIGINT with a terminal on standard input
// the person is asked, as the window asks, and a second SIGINT answers yes;
// without one (a pipe, a fleet tool, a service) and after SIGTERM, whoever
// sent the signal meant it, and the run stops without a question.
class CConsoleObserver : public CUpdateObserver {
public:
    // Quiet, no progress is shown. theAnswers is where an answer to the
    // question is read from, when it is a terminal.
    CConsoleObserver(FILE* theStream, bool bLogLines, bool bQuiet = false, int theAnswers = 0);
    CConsoleObserver(const CConsoleObserver&) = delete;
    CConsoleObserver& operator=(const CConsoleObserver&) = delete;

    void ShowProgress(const UpdateProgress& theProgress) override;
    void ShowLogLine(const char* theLine) override;
    bool HasStopRequest() override;
    bool ConfirmStop(const char* theQuestion) override;
    // Ends the line being rewritten, if any, so that what follows starts afresh.
    void Finish();

    // Safe to call from a signal handler; theSignal is the one that asks.
    static void RequestStop(int theSignal);
    // The last signal that asked for a stop, or 0.
    static int StopSignal() { return itsStopSignal.load(); }

private:
    // The progress page's counter and percentage, as the window words them.
    class CProgressLine : public CDialogItems {
    public:
        explicit CProgressLine(CConsoleObserver& theOwner);
        void SetItemValue(int, long) override { }
        void SetItemText(int theItemId, const char* theText) override;
        void RedrawItem(int) override { }

    private:
        CConsoleObserver& itsOwner;
    };

    void Print();
    // True for yes; a stop asked for again while waiting is a yes too.
    bool AskOnTerminal(const char* theQuestion);

    FILE* itsStream;
    bool bTerminal;
    bool bLogLines;
    bool bQuiet;
    bool bLineOpen = false;
    int itsAnswers;
    Cstring itsCounter;
    Cstring itsPercent { "0%" };
    CProgressLine itsLine { *this };
    CProgressItems itsItems;
    int itsStopsSeen = 0;
    static std::atomic<int> itsStopRequests;
    static std::atomic<int> itsStopSignal;
};
