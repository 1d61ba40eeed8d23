#pragma once
// Strict UTF-8 stepping shared by the name rules and the code page. A byte
// that does not start a well-formed sequence stands for itself, as a value
// above every code point, so that bad names still compare and sort stably.

#include <cstddef>
#include <string>
#include <string_view>

namespace lumora::utf8 {

inline constexpr char32_t rawByteBase = 0x110000;

struct Decoded {
    char32_t value;     // code point, or rawByteBase + byte when invalid
    std::size_t length; // bytes consumed, at least 1
    bool valid;
};

inline bool isContinuation(unsigned char c) noexcept { return (c & 0xC0) == 0x80; }

// Decodes the sequence starting at `i` (which must be inside `s`). Overlong
// forms, surrogates and values above U+10FFFF are rejected.
inline Decoded decodeAt(std::string_view s, std::size_t i) noexcept
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return {b0, 1, true};
    const Decoded invalid{rawByteBase + b0, 1, false};
    const std::size_t left = s.size() - i;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };

    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !isContinuation(at(1)))
            return invalid;
        return {static_cast<char32_t>(((b0 & 0x1F) << 6) | (at(1) & 0x3F)), 2, true};
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3)
            return invalid;
        const unsigned char b1 = at(1);
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < lo || b1 > hi || !isContinuation(at(2)))
            return invalid;
        return {static_cast<char32_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (at(2) & 0x3F)), 3, true};
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4)
            return invalid;
        const unsigned char b1 = at(1);
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (b1 < lo || b1 > hi || !isContinuation(at(2)) || !isContinuation(at(3)))
            return invalid;
        return {
            static_cast<char32_t>(((b0 & 0x07) << 18) | ((b1 & 0x3F) << 12) | ((at(2) & 0x3F) << 6) | (at(3) & 0x3F)),
            4, true};
    }
    return invalid;
}

// Appends a valid code point (below U+110000, not a surrogate).
inline void append(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace lumora::utf8
