#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decoded pixels, as the host's image codecs hand them over and take them
// back: 32-bit 0xAARRGGBB values, row by row from the top left.
struct CImage {
    int itsWidth = 0;
    int itsHeight = 0;
    std::vector<uint32_t> itsPixels;

    bool IsEmpty() const { return itsWidth <= 0 || itsHeight <= 0; }
    uint32_t At(int theX, int theY) const
    {
        return itsPixels[static_cast<size_t>(theY) * static_cast<size_t>(itsWidth)
            + static_cast<size_t>(theX)];
    }
};

// No image file, and no decoded image, may take more memory than this: a
// damaged or hostile file declares any size it likes.
const size_t kImageByteLimit = size_t(256) << 20;
