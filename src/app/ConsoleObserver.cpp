#include "app/ConsoleObserver.h"

#include <unistd.h>

namespace {

constexpr int kCounterItem = 1;
constexpr int kPercentItem = 2;

} // namespace

std::atomic<int> CConsoleObserver::itsStopRequests { 0 };

static_assert(std::atomic<int>::is_always_lock_free, "the stop request is set from a signal handler");

CConsoleObserver::CConsoleObserver(FILE* theStream, bool bLogLines)
    : itsStream(theStream)
    , bTerminal(isatty(fileno(theStream)) == 1)
    , bLogLines(bLogLines)
    , itsStopsSeen(itsStopRequests.load())
{
    itsItems.SetWindow(&itsLine);
    itsItems.SetProgressItems(0, kPercentItem, nullptr);
    itsItems.SetCounterItem(kCounterItem, "File %d of %d");
}

void CConsoleObserver::ShowProgress(const UpdateProgress& theProgress)
{
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
    Finish();
    std::fprintf(itsStream, "%s\n", theQuestion);
    return true;
}

void CConsoleObserver::RequestStop()
{
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
