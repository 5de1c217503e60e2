// Pictures through the Qt host's codecs: a round trip through every format it
// writes, drawing with clipping, and damaged files that must fail cleanly.

#include "QtFixture.h"
#include "platform/DrawSurface.h"
#include "platform/mbitmap.h"
#include "platform/mcwin.h"
#include "qt/QtDrawSurface.h"
#include "support/TempFolder.h"
#include "support/ZipFixtures.h" // Crc32, Put16, Put32

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <string>

namespace {

const char kNotAPicture[] = "File not recogized as a valid Pict file";

// A 16 x 16 picture in quarters: green, white above; red, blue below.
CImage TestImage()
{
    const uint32_t quarters[2][2] = { { 0xFF00FF00, 0xFFFFFFFF }, { 0xFFFF0000, 0xFF0000FF } };
    CImage image { 16, 16, std::vector<uint32_t>(16 * 16) };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.itsPixels[size_t(y * 16 + x)] = quarters[y / 8][x / 8];
    return image;
}

// Channels apart by no more than theTolerance (JPEG is lossy).
bool Near(uint32_t theFirst, uint32_t theSecond, int theTolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = int((theFirst >> shift) & 0xFF);
        const int b = int((theSecond >> shift) & 0xFF);
        if (std::abs(a - b) > theTolerance)
            return false;
    }
    return true;
}

std::string BigEndian32(uint32_t theValue)
{
    return { char(theValue >> 24), char(theValue >> 16), char(theValue >> 8), char(theValue) };
}

// A well-formed PNG whose header declares theWidth x theHeight, with no pixels.
std::string PngDeclaring(uint32_t theWidth, uint32_t theHeight)
{
    const std::string header
        = "IHDR" + BigEndian32(theWidth) + BigEndian32(theHeight) + std::string("\x08\x06\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + BigEndian32(13) + header + BigEndian32(Crc32(header))
        + BigEndian32(0) + "IDAT" + BigEndian32(Crc32("IDAT")) + BigEndian32(0) + "IEND"
        + BigEndian32(Crc32("IEND"));
}

// A BMP header declaring theWidth x theHeight at 32 bits, with no pixels after it.
std::string BmpDeclaring(int32_t theWidth, int32_t theHeight)
{
    std::string bmp = "BM";
    for (uint32_t field : { 54u, 0u, 54u, 40u, uint32_t(theWidth), uint32_t(theHeight) })
        Put32(bmp, field);
    Put16(bmp, 1); // planes
    Put16(bmp, 32); // bits a pixel
    for (uint32_t field : { 0u, 0u, 2835u, 2835u, 0u, 0u })
        Put32(bmp, field);
    return bmp;
}

class QtBitmap : public QtTest {
protected:
    std::string Saved(const char* theName)
    {
        CBitmap bitmap(CBitmap::PictureFromGWorld(TestImage()));
        EXPECT_TRUE(bitmap.Save((itsTemp / theName).c_str())) << theName;
        return itsTemp / theName;
    }

    TempFolder itsTemp;
};

TEST_F(QtBitmap, RoundTripsThroughEveryWritableFormatAndGifIsReadButNotWritten)
{
    for (const char* name :
        { "quilt.bmp", "quilt.png", "quilt.TIFF", "quilt.tif", "quilt.jpg", "quilt.jpeg" }) {
        const std::string path = Saved(name);
        CBitmap loaded;
        Cstring errors;
        ASSERT_TRUE(loaded.Load(path.c_str(), &errors)) << name << ": " << errors.GetText();
        ASSERT_EQ(loaded.GetWidth(), 16) << name;
        ASSERT_EQ(loaded.GetHeight(), 16) << name;
        const bool bLossy = EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg");
        const CImage& image = loaded.GetPicture()->itsImage;
        // JPEG blurs edges: look inside the quarters.
        for (auto [x, y] : { std::pair { 3, 3 }, { 12, 3 }, { 3, 12 }, { 12, 12 } })
            EXPECT_TRUE(Near(image.At(x, y), TestImage().At(x, y), bLossy ? 40 : 0))
                << name << " at " << x << "," << y << ": " << std::hex << image.At(x, y);
    }

    // GIF is read but not written.
    CBitmap bitmap(CBitmap::PictureFromGWorld(TestImage()));
    EXPECT_FALSE(bitmap.Save((itsTemp / "quilt.gif").c_str()));
    EXPECT_FALSE(std::filesystem::exists(itsTemp / "quilt.gif"));
    // A 1 x 1 GIF made elsewhere reads.
    const std::string gif("GIF89a\x01\0\x01\0\x80\0\0\xff\0\0\0\0\0!\xf9\x04\x01\0\0\0\0,"
                          "\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;",
        43);
    CBitmap loaded;
    ASSERT_TRUE(loaded.Load(itsTemp.Write("dot.gif", gif).c_str()));
    EXPECT_EQ(loaded.GetWidth(), 1);
}

TEST_F(QtBitmap, DamagedFilesFailCleanly)
{
    const std::string png = ReadWholeFile(Saved("whole.png"));
    const std::string jpeg = ReadWholeFile(Saved("whole.jpg"));
    const std::string tiff = ReadWholeFile(Saved("whole.tif"));
    const std::string bmp = ReadWholeFile(Saved("whole.bmp"));
    const std::pair<const char*, std::string> corpus[] = {
        { "empty.png", "" },
        { "text.png", "this is not a picture" },
        { "cut.png", png.substr(0, png.size() / 2) },
        { "header-only.png", png.substr(0, 33) },
        { "cut.jpg", jpeg.substr(0, 20) },
        { "half.jpg", jpeg.substr(0, jpeg.size() * 2 / 3) },
        { "half.bmp", bmp.substr(0, bmp.size() / 2) },
        { "cut.tif", tiff.substr(0, tiff.size() / 3) },
        { "cut.bmp", bmp.substr(0, 60) },
        { "cut.gif", "GIF89a\x01\0\x01\0" },
        { "huge.png", PngDeclaring(100000, 100000) },
        { "wide.png", PngDeclaring(0x7FFFFFFF, 1) },
        { "huge.bmp", BmpDeclaring(60000, 60000) },
        { "upside.bmp", BmpDeclaring(16, -0x7FFFFFFF) },
        { "png-named.tif", std::string("II*\0", 4) + png },
    };
    for (const auto& [name, bytes] : corpus) {
        CBitmap bitmap(CBitmap::PictureFromGWorld(TestImage()));
        Cstring errors;
        EXPECT_FALSE(bitmap.Load(itsTemp.Write(name, bytes).c_str(), &errors)) << name;
        EXPECT_EQ(std::string(errors.GetText()), "File: " + itsTemp / name + "Error: " + kNotAPicture + "\r");
        EXPECT_EQ(bitmap.GetWidth(), 16) << name << ": the picture held before stays";
    }
}

TEST_F(QtBitmap, DrawsScaledAndClippedOnTheWindowsSurface)
{
    QImage canvas(40, 40, QImage::Format_ARGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    CQtDrawSurface surface(painter, { 0, 0, 40, 40 });
    CWindow window;
    CBitmap bitmap(CBitmap::PictureFromGWorld(TestImage()));
    bitmap.Draw(window, { 0, 0, 16, 16 }); // not painting: nothing drawn
    EXPECT_EQ(canvas.pixel(3, 3), 0xFF000000);
    SetPaintSurface(&window, &surface);
    bitmap.DrawClipped(window, { 4, 0, 36, 32 }, { 0, 0, 40, 16 }); // twice the size, left half only
    SetPaintSurface(&window, nullptr);
    painter.end();

    EXPECT_EQ(canvas.pixel(4, 2), 0xFF000000) << "above the target";
    EXPECT_EQ(canvas.pixel(4, 8), 0xFF00FF00) << "green, top left";
    EXPECT_EQ(canvas.pixel(8, 28), 0xFFFF0000) << "red, bottom left";
    EXPECT_EQ(canvas.pixel(24, 8), 0xFF000000) << "clipped away";
    EXPECT_EQ(canvas.pixel(36, 28), 0xFF000000) << "outside the target";
}

} // namespace
