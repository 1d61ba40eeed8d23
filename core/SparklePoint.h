#pragma once

#include <cstdint>
#include <functional>

#include "core/RandomSource.h"

namespace lumora {

struct SparklePoint {
    float x = 0;              // in the window's scale units (twips)
    float y = 0;              // taken from the width as well, by design
    std::uint32_t colour = 0; // red + 256 * green + 65536 * blue
};

// Nearest integer, a tie going to the even one.
int roundHalfEven(float value) noexcept;

// One point: five draws (red, green, blue, x, y). The scale width is read
// afresh for each coordinate, so a resize takes effect at the next point.
SparklePoint chooseSparklePoint(RandomSource& random, const std::function<float()>& scaleWidth);

inline constexpr int sparklePointsPerTick = 100;
inline constexpr int sparkleIntervalMs = 60;

} // namespace lumora
