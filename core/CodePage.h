#pragma once
// The 8-bit code page of the settings file. Windows uses the system's ANSI
// code page; elsewhere there is none, so Windows-1252 stands in with its own
// table here.

#include <optional>
#include <string>
#include <string_view>

namespace lumora {

// UTF-8 to the code page. Empty optional when a character has no byte in the
// code page (or the input is not valid UTF-8): nothing is ever substituted.
std::optional<std::string> toCodePage(std::string_view utf8);

// The code page's bytes to UTF-8. Every byte has a character.
std::string fromCodePage(std::string_view bytes);

// Windows-1252 itself, on every platform, so both directions can be tested.
std::optional<std::string> utf8ToWindows1252(std::string_view utf8);
std::string windows1252ToUtf8(std::string_view bytes);

} // namespace lumora
