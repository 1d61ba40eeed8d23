#include "core/platform/SystemText.h"

#include <climits>

#include "core/PathRules.h"

#include "core/platform/WindowsApi.h"

namespace lumora::platform {

std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

#ifdef _WIN32

std::optional<std::wstring> wideFromUtf8(std::string_view text)
{
    if (text.empty())
        return std::wstring();
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed);
    return wide;
}

std::wstring systemPath(std::wstring_view path) { return windowsLongForm(path); }

std::wstring ordinaryForm(std::wstring_view path)
{
    if (path.substr(0, 8) == L"\\\\?\\UNC\\")
        return L"\\\\" + std::wstring(path.substr(8));
    if (path.substr(0, 4) == L"\\\\?\\")
        return std::wstring(path.substr(4));
    return std::wstring(path);
}

std::string utf8FromWide(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX))
        return std::string();
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

#endif

} // namespace lumora::platform
