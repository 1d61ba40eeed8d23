// The settings file's code page on Windows: the system's ANSI code page, as
// the classic runtime wrote it, so existing files keep reading correctly.
#ifdef _WIN32

#include "core/CodePage.h"

#include <climits>

#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora {

std::optional<std::string> toCodePage(std::string_view utf8Text)
{
    const std::optional<std::wstring> converted = platform::wideFromUtf8(utf8Text);
    if (!converted)
        return std::nullopt;
    const std::wstring& wide = *converted;
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
    std::string text = platform::utf8FromWide(wide);
    return text.empty() ? windows1252ToUtf8(bytes) : text;
}

} // namespace lumora

#endif // _WIN32
