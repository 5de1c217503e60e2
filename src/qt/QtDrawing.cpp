#include "qt/QtDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <functional>

namespace {

QColor ToQt(CColor theColor)
{
    return QColor(theColor.red, theColor.green, theColor.blue);
}

QRect ToQt(const CRect& theRect)
{
    return QRect(theRect.left, theRect.top, theRect.Width(), theRect.Height());
}

QFont FontOf(const CFontSpec& theFont)
{
    QFont font(QString::fromUtf8(theFont.itsFamily.GetText()));
    font.setPointSize(theFont.itsSize > 0 ? theFont.itsSize : 12);
    font.setBold(theFont.itsStyle & 1);
    font.setItalic(theFont.itsStyle & 2);
    font.setUnderline(theFont.itsStyle & 4);
    return font;
}

} // namespace

CQtDrawContext::CQtDrawContext(int theWidth, int theHeight, bool bTransparent)
    : itsImage(std::max(theWidth, 1), std::max(theHeight, 1), QImage::Format_ARGB32_Premultiplied)
    , itsGround(bTransparent ? QColor(Qt::transparent) : QColor(Qt::white))
{
    itsImage.fill(itsGround);
}

void CQtDrawContext::Resize(int theWidth, int theHeight)
{
    if (itsImage.width() == theWidth && itsImage.height() == theHeight)
        return;
    QImage image(std::max(theWidth, 1), std::max(theHeight, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(itsGround);
    QPainter(&image).drawImage(0, 0, itsImage);
    itsImage = image;
}

void CQtDrawContext::Paint(const std::function<void(QPainter&)>& theDrawing)
{
    QPainter painter(&itsImage);
    if (itsClip)
        painter.setClipRect(*itsClip);
    theDrawing(painter);
}

void CQtDrawContext::FillRect(const CRect& theRect, CColor theColor, int theMode)
{
    Paint([&](QPainter& thePainter) {
        if (theMode == kRasterXor)
            thePainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        thePainter.fillRect(ToQt(theRect), ToQt(theColor));
    });
}

void CQtDrawContext::FrameRect(const CRect& theRect, CColor theColor)
{
    Paint([&](QPainter& thePainter) {
        thePainter.setPen(ToQt(theColor));
        // The frame lies inside the rectangle, as the fill does.
        thePainter.drawRect(theRect.left, theRect.top, theRect.Width() - 1, theRect.Height() - 1);
    });
}

void CQtDrawContext::Line(CPoint theFrom, CPoint theTo, CColor theColor)
{
    Paint([&](QPainter& thePainter) {
        thePainter.setPen(ToQt(theColor));
        thePainter.drawLine(theFrom.x, theFrom.y, theTo.x, theTo.y);
    });
}

void CQtDrawContext::DrawText(
    CPoint theTopLeft, const Cstring& theText, const CFontSpec& theFont, CColor theColor)
{
    Paint([&](QPainter& thePainter) {
        const QFont font = FontOf(theFont);
        thePainter.setFont(font);
        thePainter.setPen(ToQt(theColor));
        thePainter.drawText(
            theTopLeft.x, theTopLeft.y + QFontMetrics(font).ascent(), QString::fromUtf8(theText.GetText()));
    });
}

int CQtDrawContext::TextWidth(const Cstring& theText, const CFontSpec& theFont)
{
    return QFontMetrics(FontOf(theFont)).horizontalAdvance(QString::fromUtf8(theText.GetText()));
}

CFontMetrics CQtDrawContext::Metrics(const CFontSpec& theFont)
{
    const QFontMetrics metrics(FontOf(theFont));
    return { metrics.ascent(), metrics.descent(), metrics.leading() };
}

bool CQtDrawContext::DrawPicture(const std::string& theBytes, const CRect& theRect)
{
    QImage picture;
    if (!picture.loadFromData(
            reinterpret_cast<const uchar*>(theBytes.data()), static_cast<int>(theBytes.size())))
        return false;
    Paint([&](QPainter& thePainter) { thePainter.drawImage(ToQt(theRect), picture); });
    return true;
}

void CQtDrawContext::SetClip(const CRect* pRect)
{
    itsClip = pRect ? std::optional<QRect>(ToQt(*pRect)) : std::nullopt;
}

CColor CQtDrawContext::PixelAt(CPoint thePoint) const
{
    if (!itsImage.rect().contains(thePoint.x, thePoint.y))
        return {};
    const QColor color = itsImage.pixelColor(thePoint.x, thePoint.y);
    return { static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
        static_cast<uint8_t>(color.blue()) };
}
