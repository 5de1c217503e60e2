#pragma once

#include <cstdint>

// A rectangle of 16-bit coordinates, as settings and resources store them.
struct CShortRect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};
