#pragma once

#include "platform/DrawSurface.h"

#include <QImage>

class QPainter;
struct CImage;

// A copy of theImage's pixels that Qt owns.
QImage ToQImage(const CImage& theImage);

// A draw surface over a painter that someone else began: a window's paint
// event, a printed page, an image in a test.
class CQtDrawSurface : public CDrawSurface {
public:
    CQtDrawSurface(QPainter& thePainter, const CRect& theBounds);

    CRect Bounds() const override { return itsBounds; }
    void DrawImage(const CImage& theImage, const CRect& theTarget, const CRect& theClip) override;
    void SetFont(const char* theName, int thePoints) override;
    int LineHeight() const override;
    int Ascent() const override;
    int TextWidth(const char* theText) const override;
    void DrawText(int theX, int theBaseline, const char* theText) override;

private:
    QPainter& itsPainter;
    CRect itsBounds;
};
