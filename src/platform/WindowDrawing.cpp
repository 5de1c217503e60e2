// The drawing operations of every window, over the surface of its painting pass.

#include "platform/Resources.h"
#include "platform/mcwin.h"

#include <cstdlib>

void CWindow::SelectBrush(const CColor* pColor)
{
    bBrushSelected = pColor != nullptr;
    if (pColor)
        itsBrush = *pColor;
}

void CWindow::SelectPen(const CColor* pColor)
{
    bPenSelected = pColor != nullptr;
    if (pColor)
        itsPen = *pColor;
}

void CWindow::SelectFont(const CFontSpec* pFont)
{
    bFontSelected = pFont != nullptr;
    itsFont = pFont ? *pFont : CFontSpec();
}

void CWindow::FillRect(const CRect& theRect)
{
    if (itsDrawing && bBrushSelected)
        itsDrawing->FillRect(theRect, itsBrush, itsRasterMode);
}

void CWindow::FrameRect(const CRect& theRect)
{
    if (itsDrawing && bPenSelected)
        itsDrawing->FrameRect(theRect, itsPen);
}

void CWindow::LineTo(int theX, int theY)
{
    const CPoint to { theX, theY };
    if (itsDrawing && bPenSelected)
        itsDrawing->Line(itsPenPosition, to, itsPen);
    itsPenPosition = to;
}

void CWindow::DrawText(int theLeft, int theTop, const char* theText)
{
    if (itsDrawing && theText)
        itsDrawing->DrawText({ theLeft, theTop }, theText, itsFont, itsTextColor);
}

int CWindow::TextWidth(const char* theText)
{
    return itsDrawing && theText ? itsDrawing->TextWidth(theText, itsFont) : 0;
}

bool CWindow::DrawPicture(int thePictureId, const CRect& theRect)
{
    if (!itsDrawing)
        return false;
    const ResourceData picture
        = GetPicture(FindResourceFile("PICT", thePictureId, ResourceOrder::kTexts), thePictureId);
    return !picture.IsEmpty() && itsDrawing->DrawPicture(picture.itsBytes, theRect);
}
