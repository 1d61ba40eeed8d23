#pragma once

#include <cstdint>

namespace lumora {

// The classic 24-bit linear congruential generator of the form runtime. It
// is never seeded, so every start draws the same sequence.
class RandomSource {
public:
    static constexpr std::uint32_t initialState = 327680;

    // x = (x * 1140671485 + 12820163) mod 2^24, yielding x / 2^24.
    float next() noexcept;
    std::uint32_t state() const noexcept { return state_; }

private:
    std::uint32_t state_ = initialState;
};

} // namespace lumora
