#pragma once
// The one place where the system's own names and texts become the UTF-8 that
// the program carries, and back: paths everywhere, and the UTF-16 that the
// Windows calls take.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::platform {

// A path as UTF-8 text, for error details and listings, and back.
std::string utf8FromPath(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(const std::string& text);

#ifdef _WIN32
// Empty when `text` is not valid UTF-8: nothing is ever substituted.
std::optional<std::wstring> wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view wide);

// A path as the system's file calls take it: an absolute one in its long
// form, which no length limit applies to, whatever the system's setting.
std::wstring systemPath(std::wstring_view path);
inline std::wstring systemPath(const std::wstring& path) { return systemPath(std::wstring_view(path)); }
inline std::wstring systemPath(const std::filesystem::path& path) { return systemPath(path.native()); }
// A path in long form as the user knows it: C:\... or \\server\share\...
std::wstring ordinaryForm(std::wstring_view path);
#endif

} // namespace lumora::platform
