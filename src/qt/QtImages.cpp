// The Qt host's image codecs: QImageReader and QImageWriter over memory.

#include "foundation/ImageFileKind.h"
#include "platform/Image.h"
#include "qt/QtDrawSurface.h"
#include "qt/QtHostImpl.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>

namespace {

const char* WriterFormat(int theKind)
{
    switch (theKind) {
    case kBmpImage:
        return "bmp";
    case kJpegImage:
        return "jpeg";
    case kPngImage:
        return "png";
    case kTiffImage:
        return "tiff";
    default:
        return nullptr; // GIF has a reader only
    }
}

} // namespace

bool CQtHost::DecodeImage(const void* theBytes, size_t theSize, CImage& theImage)
{
    QByteArray data
        = QByteArray::fromRawData(static_cast<const char*>(theBytes), static_cast<qsizetype>(theSize));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The codecs refuse to allocate beyond the limit whatever size a file declares.
    QImageReader::setAllocationLimit(static_cast<int>(kImageByteLimit >> 20));
    const QSize declared = reader.size();
    if (declared.isValid()
        && 4 * static_cast<qint64>(declared.width()) * declared.height() > qint64(kImageByteLimit))
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    theImage.itsWidth = image.width();
    theImage.itsHeight = image.height();
    theImage.itsPixels.resize(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(&theImage.itsPixels[static_cast<size_t>(y) * static_cast<size_t>(image.width())],
            image.constScanLine(y), static_cast<size_t>(image.width()) * 4);
    return true;
}

bool CQtHost::EncodeImage(const CImage& theImage, int theKind, std::string& theBytes)
{
    const char* format = WriterFormat(theKind);
    if (!format || theImage.IsEmpty())
        return false;
    const QImage image = ToQImage(theImage);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (theKind == kJpegImage)
        writer.setQuality(95);
    if (!writer.write(theKind == kJpegImage || theKind == kBmpImage
                ? image.convertToFormat(QImage::Format_RGB32)
                : image))
        return false;
    theBytes.assign(data.constData(), static_cast<size_t>(data.size()));
    return true;
}
