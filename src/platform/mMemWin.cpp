#include "platform/mMemWin.h"

#include "foundation/Assert.h"
#include "platform/Host.h"

CMemWin::CMemWin(int theWidth, int theHeight)
    : itsOffscreen(Host().MakeOffscreen(theWidth, theHeight))
{
    itsFrame = { 0, 0, theHeight, theWidth };
}

CMemWin::~CMemWin() = default;

bool CMemWin::BeginPaint(int)
{
    ++itsPaintDepth;
    itsDrawing = itsOffscreen.get();
    return itsDrawing != nullptr;
}

void CMemWin::EndPaint()
{
    PW_ASSERT_TEXT(itsPaintDepth > 0, "dccount>0");
    if (--itsPaintDepth == 0)
        itsDrawing = nullptr;
}

bool CDibWin::BeginPaint(int theFlag)
{
    PW_ASSERT_TEXT(itsOffscreen, "offScreen!=NULL");
    return CMemWin::BeginPaint(theFlag);
}

void CDibWin::EndPaint()
{
    CMemWin::EndPaint();
    if (itsPaintDepth == 0) {
        PW_ASSERT_TEXT(!bBrushSelected, "itsBrush==NULL");
        PW_ASSERT_TEXT(!bPenSelected, "itsPen==NULL");
        PW_ASSERT_TEXT(!bFontSelected, "itsFont==NULL");
    }
}
