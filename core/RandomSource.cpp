#include "core/RandomSource.h"

namespace lumora {

float RandomSource::next() noexcept
{
    // Unsigned wrap-around is harmless: 2^24 divides 2^32, so the low 24 bits
    // come out the same as with unbounded arithmetic.
    state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
    return static_cast<float>(state_) / 16777216.0f;
}

} // namespace lumora
