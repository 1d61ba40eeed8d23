// The settings file's code page on Windows: the system's ANSI code page, as
// the classic runtime wrote it, so existing files keep reading correctly.
#ifdef _WIN32

#include "core/CodePage.h"

#include <climits>

#include "core/platform/WindowsApi.h"

namespace lumora {

namespace {

std::wstring wideFromUtf8(std::string_view utf8Text, bool& valid)
{
    valid = true;
    if (utf8Text.empty())
        return std::wstring();
    if (utf8Text.size() > static_cast<std::size_t>(INT_MAX)) {
        valid = false;
        return std::wstring();
    }
    const int inLength = static_cast<int>(utf8Text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Text.data(), inLength, nullptr, 0);
    if (needed <= 0) {
        valid = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Text.data(), inLength, wide.data(), needed);
    return wide;
}

} // namespace

std::optional<std::string> toCodePage(std::string_view utf8Text)
{
    bool valid = false;
    const std::wstring wide = wideFromUtf8(utf8Text, valid);
    if (!valid)
        return std::nullopt;
    if (wide.empty())
        return std::string();
    // With the system-wide UTF-8 option the ANSI page is UTF-8 itself, and
    // WideCharToMultiByte refuses the used-default check for it.
    if (GetACP() == CP_UTF8)
        return std::string(utf8Text);
    const int wideLength = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int needed =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, bytes.data(), needed,
                                            nullptr, &usedDefault);
    if (written != needed || usedDefault)
        return std::nullopt;
    return bytes;
}

std::string fromCodePage(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        return std::string();
    const int inLength = static_cast<int>(bytes.size());
    const int wideNeeded = MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, nullptr, 0);
    if (wideNeeded <= 0)
        return windows1252ToUtf8(bytes);
    std::wstring wide(static_cast<std::size_t>(wideNeeded), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, wide.data(), wideNeeded);
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideNeeded, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return windows1252ToUtf8(bytes);
    std::string text(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideNeeded, text.data(), needed, nullptr, nullptr);
    return text;
}

} // namespace lumora

#endif // _WIN32
