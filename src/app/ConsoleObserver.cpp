#include "app/ConsoleObserver.h"

#include "app/AppTexts.h"
#include "platform/TextFormat.h"

#include <cctype>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kCounterItem = 1;
constexpr int kPercentItem = 2;

} // namespace

std::atomic<int> CConsoleObserver::itsStopRequests { 0 };
std::atomic<int> CConsoleObserver::itsStopSignal { 0 };

static_assert(std::atomic<int>::is_always_lock_free, "the stop request is set from a signal handler");

CConsoleObserver::CConsoleObserver(FILE* theStream, bool bLogLines, bool bQuiet, int theAnswers)
    : itsStream(theStream)
    , bTerminal(isatty(fileno(theStream)) == 1)
    , bLogLines(bLogLines)
    , bQuiet(bQuiet)
    , itsAnswers(theAnswers)
    , itsStopsSeen(itsStopRequests.load())
{
    itsItems.SetWindow(&itsLine);
    itsItems.SetProgressItems(0, kPercentItem, nullptr);
    itsItems.SetCounterItem(kCounterItem, LoadFormat(kTextFileCounter).GetText());
}

void CConsoleObserver::ShowProgress(const UpdateProgress& theProgress)
{
    if (bQuiet)
        return;
    itsItems.Show(theProgress.itsName, theProgress.itsBytesDone, theProgress.itsTotalBytes,
        theProgress.itsFilesDone, theProgress.itsFileCount);
}

void CConsoleObserver::ShowLogLine(const char* theLine)
{
    if (!bLogLines)
        return;
    Finish();
    std::fprintf(itsStream, "%s\n", theLine);
}

bool CConsoleObserver::HasStopRequest()
{
    const int requests = itsStopRequests.load();
    const bool bNew = requests != itsStopsSeen;
    itsStopsSeen = requests;
    return bNew;
}

bool CConsoleObserver::ConfirmStop(const char* theQuestion)
{
    if (itsStopSignal.load() == SIGTERM || isatty(itsAnswers) != 1)
        return true;
    return AskOnTerminal(theQuestion);
}

bool CConsoleObserver::AskOnTerminal(const char* theQuestion)
{
    Finish();
    std::fprintf(itsStream, "%s [Y/n] ", theQuestion);
    std::fflush(itsStream);
    char answer[64];
    for (;;) {
        // The signal may reach any of the run's threads, so the wait is
        // woken now and then to look for it rather than by its EINTR.
        pollfd terminal { itsAnswers, POLLIN, 0 };
        const int ready = poll(&terminal, 1, 200);
        if (HasStopRequest() || itsStopSignal.load() == SIGTERM) {
            std::fputc('\n', itsStream);
            return true;
        }
        if (ready <= 0)
            continue;
        const ssize_t length = read(itsAnswers, answer, sizeof answer - 1);
        if (length <= 0) // the terminal went away: nobody can say no
            return true;
        answer[length] = 0;
        const char* first = answer;
        while (std::isspace(static_cast<unsigned char>(*first)))
            ++first;
        // Yes is the default, as it is the window's default button: only a
        // no lets the update go on.
        return *first != 'n' && *first != 'N';
    }
}

void CConsoleObserver::RequestStop(int theSignal)
{
    itsStopSignal.store(theSignal);
    itsStopRequests.fetch_add(1);
}

CConsoleObserver::CProgressLine::CProgressLine(CConsoleObserver& theOwner)
    : itsOwner(theOwner)
{
}

void CConsoleObserver::CProgressLine::SetItemText(int theItemId, const char* theText)
{
    Cstring& text = theItemId == kCounterItem ? itsOwner.itsCounter : itsOwner.itsPercent;
    if (text == Cstring(theText))
        return;
    text = theText;
    itsOwner.Print();
}

void CConsoleObserver::Print()
{
    if (itsCounter.IsEmpty())
        return;
    if (bTerminal) {
        // Back to the start of the line, then clear what a longer text left.
        std::fprintf(itsStream, "\r%s, %s\033[K", itsCounter.GetText(), itsPercent.GetText());
        std::fflush(itsStream);
        bLineOpen = true;
    } else {
        std::fprintf(itsStream, "%s, %s\n", itsCounter.GetText(), itsPercent.GetText());
    }
}

void CConsoleObserver::Finish()
{
    if (bLineOpen)
        std::fputc('\n', itsStream);
    bLineOpen = false;
}
