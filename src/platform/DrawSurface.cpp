#include "platform/DrawSurface.h"

#include <map>

namespace {

// Few windows paint at once; the map holds only those that do.
std::map<const CWindow*, CDrawSurface*>& Surfaces()
{
    static std::map<const CWindow*, CDrawSurface*> surfaces;
    return surfaces;
}

} // namespace

CDrawSurface* PaintSurfaceOf(const CWindow* pWindow)
{
    const auto found = Surfaces().find(pWindow);
    return found == Surfaces().end() ? nullptr : found->second;
}

void SetPaintSurface(const CWindow* pWindow, CDrawSurface* pSurface)
{
    if (pSurface)
        Surfaces()[pWindow] = pSurface;
    else
        Surfaces().erase(pWindow);
}
