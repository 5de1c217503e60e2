#include "qt/QtDrawSurface.h"

#include "platform/Image.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace {

QRect ToQRect(const CRect& theRect)
{
    return QRect(theRect.left, theRect.top, theRect.Width(), theRect.Height());
}

// theImage's own pixels, not a copy: valid while theImage is.
QImage ImageOver(const CImage& theImage)
{
    return QImage(reinterpret_cast<const uchar*>(theImage.itsPixels.data()), theImage.itsWidth,
        theImage.itsHeight, theImage.itsWidth * 4, QImage::Format_ARGB32);
}

} // namespace

QImage ToQImage(const CImage& theImage)
{
    return theImage.IsEmpty() ? QImage() : ImageOver(theImage).copy();
}

CQtDrawSurface::CQtDrawSurface(QPainter& thePainter, const CRect& theBounds)
    : itsPainter(thePainter)
    , itsBounds(theBounds)
{
}

void CQtDrawSurface::DrawImage(const CImage& theImage, const CRect& theTarget, const CRect& theClip)
{
    if (theImage.IsEmpty())
        return;
    const QImage image = ImageOver(theImage); // the painter reads it at once
    itsPainter.save();
    itsPainter.setClipRect(ToQRect(theClip), Qt::IntersectClip);
    itsPainter.setRenderHint(QPainter::SmoothPixmapTransform);
    itsPainter.drawImage(ToQRect(theTarget), image);
    itsPainter.restore();
}

void CQtDrawSurface::SetFont(const char* theName, int thePoints)
{
    QFont font(QString::fromUtf8(theName));
    font.setPointSize(thePoints > 0 ? thePoints : 12);
    itsPainter.setFont(font);
}

int CQtDrawSurface::LineHeight() const
{
    return itsPainter.fontMetrics().lineSpacing();
}

int CQtDrawSurface::Ascent() const
{
    return itsPainter.fontMetrics().ascent();
}

int CQtDrawSurface::TextWidth(const char* theText) const
{
    return itsPainter.fontMetrics().horizontalAdvance(QString::fromUtf8(theText));
}

void CQtDrawSurface::DrawText(int theX, int theBaseline, const char* theText)
{
    itsPainter.drawText(theX, theBaseline, QString::fromUtf8(theText));
}
