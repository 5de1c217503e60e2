#pragma once

#include "platform/Geometry.h"

struct CImage;
class CWindow;

// Something the framework draws on: a window's content while it paints, or a
// printed page. Coordinates are the surface's own pixels, top left at 0, 0.
class CDrawSurface {
public:
    virtual ~CDrawSurface() = default;

    virtual CRect Bounds() const = 0;
    // theImage scaled into theTarget; nothing outside theClip changes.
    virtual void DrawImage(const CImage& theImage, const CRect& theTarget, const CRect& theClip) = 0;
    // Text in the named font at thePoints; later text uses it.
    virtual void SetFont(const char* theName, int thePoints) = 0;
    // The distance from one baseline to the next, and from the top of a line
    // to its baseline, in pixels.
    virtual int LineHeight() const = 0;
    virtual int Ascent() const = 0;
    virtual int TextWidth(const char* theText) const = 0;
    virtual void DrawText(int theX, int theBaseline, const char* theText) = 0;
};

// The surface a window draws on while it paints (a page, for a print job);
// null at other times.
CDrawSurface* PaintSurfaceOf(const CWindow* pWindow);
void SetPaintSurface(const CWindow* pWindow, CDrawSurface* pSurface);
