#include "core/SparklePoint.h"

#include <climits>
#include <cmath>

namespace lumora {

int roundHalfEven(float value) noexcept
{
    // Worked out by hand rather than with nearbyint so that the result never
    // depends on whatever rounding mode the process happens to be in.
    if (std::isnan(value))
        return 0;
    const double v = value; // every float is exact as a double
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    const double below = std::floor(v);
    const double fraction = v - below;
    double result = below;
    if (fraction > 0.5)
        result = below + 1.0;
    else if (fraction == 0.5)
        result = std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
    return static_cast<int>(result);
}

SparklePoint chooseSparklePoint(RandomSource& random, const std::function<float()>& scaleWidth)
{
    // The draw order is part of the picture: the same generator must give
    // the same colours and places, so the five draws stay in this order.
    const float red = random.next() * 255.0f;
    const float green = random.next() * 255.0f;
    const float blue = random.next() * 255.0f;
    SparklePoint point;
    const float u4 = random.next();
    point.x = u4 * scaleWidth();
    const float u5 = random.next();
    point.y = u5 * scaleWidth();
    point.colour = static_cast<std::uint32_t>(roundHalfEven(red)) +
                   256u * static_cast<std::uint32_t>(roundHalfEven(green)) +
                   65536u * static_cast<std::uint32_t>(roundHalfEven(blue));
    return point;
}

} // namespace lumora
