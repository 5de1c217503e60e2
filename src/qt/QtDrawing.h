#pragma once

#include "platform/Drawing.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <optional>

class QPainter;

// A drawing surface over a QImage: a window's backing image, shown by its
// content widget, or an off-screen image of its own.
class CQtDrawContext : public CDrawContext {
public:
    // bTransparent: a window's backing, where what was never drawn lets the
    // window's ground show through; otherwise the image starts white.
    CQtDrawContext(int theWidth, int theHeight, bool bTransparent = false);

    void FillRect(const CRect& theRect, CColor theColor, int theMode) override;
    void FrameRect(const CRect& theRect, CColor theColor) override;
    void Line(CPoint theFrom, CPoint theTo, CColor theColor) override;
    void DrawText(
        CPoint theTopLeft, const Cstring& theText, const CFontSpec& theFont, CColor theColor) override;
    int TextWidth(const Cstring& theText, const CFontSpec& theFont) override;
    CFontMetrics Metrics(const CFontSpec& theFont) override;
    bool DrawPicture(const std::string& theBytes, const CRect& theRect) override;
    void SetClip(const CRect* pRect) override;
    CColor PixelAt(CPoint thePoint) const override;

    const QImage& Image() const { return itsImage; }
    // A new size keeps what fits of the old picture.
    void Resize(int theWidth, int theHeight);

private:
    // A painter on the image with the clip applied.
    void Paint(const std::function<void(QPainter&)>& theDrawing);

    QImage itsImage;
    QColor itsGround;
    std::optional<QRect> itsClip;
};
