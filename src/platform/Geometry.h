#pragma once

// A rectangle in pixels: window frames in screen coordinates, item frames in
// their window's coordinates. Right and bottom lie just outside.
struct CRect {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int theX, int theY) const
    {
        return theX >= left && theX < right && theY >= top && theY < bottom;
    }
    void Offset(int theDx, int theDy)
    {
        left += theDx;
        right += theDx;
        top += theDy;
        bottom += theDy;
    }
    bool operator==(const CRect&) const = default;
};

struct CPoint {
    int x = 0;
    int y = 0;
};
