#include "platform/TextPrinter.h"

#include "platform/DrawSurface.h"
#include "platform/PrintJob.h"

#include <string>
#include <vector>

namespace {

const int kFontPoints = 10;

// The pieces of theLine that fit theWidth, broken after blanks where it can.
std::vector<std::string> Wrap(const std::string& theLine, int theWidth, const CDrawSurface& theSurface)
{
    std::vector<std::string> pieces;
    std::string rest = theLine;
    while (theSurface.TextWidth(rest.c_str()) > theWidth) {
        size_t fits = 1; // at least one character per piece, so the loop ends
        while (fits < rest.size() && theSurface.TextWidth(rest.substr(0, fits + 1).c_str()) <= theWidth)
            ++fits;
        const size_t blank = rest.rfind(' ', fits);
        const size_t cut = blank != std::string::npos && blank > 0 ? blank : fits;
        pieces.push_back(rest.substr(0, cut));
        rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
    }
    pieces.push_back(rest);
    return pieces;
}

std::vector<std::string> Lines(const Cstring& theText)
{
    std::vector<std::string> lines(1);
    const char* text = theText.GetText();
    for (const char* at = text; *at; ++at) {
        if (*at == '\r' && at[1] == '\n')
            continue;
        if (*at == '\r' || *at == '\n')
            lines.emplace_back();
        else
            lines.back() += *at == '\t' ? ' ' : *at;
    }
    return lines;
}

} // namespace

int PrintText(CPrintJob& theJob, const char* theTitle, const Cstring& theText)
{
    theJob.SetDocumentName(theTitle);
    if (theJob.BeginDocument() != 0)
        return 1;
    CDrawSurface* page = nullptr;
    int margin = 0;
    int y = 0;
    auto nextPage = [&] {
        if (page)
            theJob.EndPage();
        page = theJob.BeginPage() == 0 ? theJob.PageSurface() : nullptr;
        if (!page)
            return false;
        page->SetFont("Sans Serif", kFontPoints);
        margin = page->LineHeight();
        y = page->Bounds().top + margin;
        return true;
    };
    if (!nextPage()) {
        theJob.EndDocument();
        return 1;
    }
    for (const std::string& line : Lines(theText)) {
        for (const std::string& piece : Wrap(line, page->Bounds().Width() - 2 * margin, *page)) {
            const bool bFull = y + page->LineHeight() > page->Bounds().bottom - margin && y > margin;
            if (bFull && !nextPage()) {
                theJob.EndDocument();
                return 1;
            }
            page->DrawText(page->Bounds().left + margin, y + page->Ascent(), piece.c_str());
            y += page->LineHeight();
        }
    }
    return theJob.EndDocument() == 0 ? 0 : 1;
}
