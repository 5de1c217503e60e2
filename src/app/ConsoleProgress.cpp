#include "app/ConsoleProgress.h"

#include <unistd.h>

CConsoleProgress::CConsoleProgress(FILE* theStream)
    : itsStream(theStream)
    , bTerminal(isatty(fileno(theStream)) == 1)
{
}

CConsoleProgress::CItemView::CItemView(CConsoleProgress& theOwner, Cstring& theText)
    : itsOwner(theOwner)
    , itsText(theText)
{
}

void CConsoleProgress::CItemView::ShowText(const Cstring& theText)
{
    if (theText == itsText)
        return;
    itsText = theText;
    itsOwner.Print();
}

void CConsoleProgress::Print()
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

void CConsoleProgress::Finish()
{
    if (bLineOpen)
        std::fputc('\n', itsStream);
    bLineOpen = false;
}
