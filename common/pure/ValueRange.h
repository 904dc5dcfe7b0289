#pragma once

#include <cstdint>

// What the editor lets a number be: typed, least to most; by its spin button's arrows, least to
// spinMost (0: the field has no spin button).
struct ValueRange {
    int32_t least;
    uint32_t most;
    uint16_t spinMost;
};
