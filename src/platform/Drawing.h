#pragma once

#include "foundation/Cstring.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <string>

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const CColor&) const = default;
};

// A font as the framework names it: family, style bits (1 bold, 2 italic,
// 4 underline) and size in points.
struct CFontSpec {
    Cstring itsFamily = "Helvetica";
    int itsStyle = 0;
    int itsSize = 12;
};

struct CFontMetrics {
    int itsAscent = 0;
    int itsDescent = 0;
    int itsLeading = 0;
};

enum RasterMode {
    kRasterCopy = 0,
    kRasterXor = 1, // drawing twice restores what was there
};

// A surface to draw on: a window's content or an off-screen image. Points
// are in the surface's own pixels.
class CDrawContext {
public:
    virtual ~CDrawContext() = default;
    virtual void FillRect(const CRect& theRect, CColor theColor, int theMode) = 0;
    virtual void FrameRect(const CRect& theRect, CColor theColor) = 0;
    virtual void Line(CPoint theFrom, CPoint theTo, CColor theColor) = 0;
    // theTopLeft is the top of the text's line, not its base line.
    virtual void DrawText(
        CPoint theTopLeft, const Cstring& theText, const CFontSpec& theFont, CColor theColor)
        = 0;
    virtual int TextWidth(const Cstring& theText, const CFontSpec& theFont) = 0;
    virtual CFontMetrics Metrics(const CFontSpec& theFont) = 0;
    // An image file's bytes scaled into theRect; false when they do not decode.
    virtual bool DrawPicture(const std::string& theBytes, const CRect& theRect) = 0;
    // Null: no clipping.
    virtual void SetClip(const CRect* pRect) = 0;
    // The colour of one pixel (tests and image export read it).
    virtual CColor PixelAt(CPoint thePoint) const = 0;
};
