#include "core/CodePage.h"

#include <array>

#include "core/Utf8.h"

namespace lumora {

namespace {

// Characters of bytes 0x80..0x9F. The five bytes Windows-1252 leaves
// undefined carry the C1 control of the same value, as Windows itself does,
// so every byte survives a round trip.
constexpr std::array<char16_t, 32> highControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

int windows1252Byte(char32_t cp) noexcept
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < highControlRange.size(); ++i) {
        if (highControlRange[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace

std::optional<std::string> utf8ToWindows1252(std::string_view utf8Text)
{
    std::string bytes;
    bytes.reserve(utf8Text.size());
    for (std::size_t i = 0; i < utf8Text.size();) {
        const utf8::Decoded d = utf8::decodeAt(utf8Text, i);
        if (!d.valid)
            return std::nullopt;
        const int byte = windows1252Byte(d.value);
        if (byte < 0)
            return std::nullopt;
        bytes += static_cast<char>(byte);
        i += d.length;
    }
    return bytes;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F)
            utf8::append(text, highControlRange[b - 0x80]);
        else
            utf8::append(text, b);
    }
    return text;
}

#ifndef _WIN32
// Without a system ANSI code page, Windows-1252 keeps settings files
// exchangeable with the common Western Windows set-up.
std::optional<std::string> toCodePage(std::string_view utf8Text) { return utf8ToWindows1252(utf8Text); }

std::string fromCodePage(std::string_view bytes) { return windows1252ToUtf8(bytes); }
#endif

} // namespace lumora
