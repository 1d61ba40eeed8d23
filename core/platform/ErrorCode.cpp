#include "core/platform/ErrorCode.h"

#include "core/RuntimeError.h"

namespace lumora::platform {

int errorNumberFromErrorCode(const std::error_code& code, int fallback)
{
#ifdef _WIN32
    // Drive states that have no errno counterpart.
    if (code.category() == std::system_category()) {
        switch (code.value()) {
        case 21: // ERROR_NOT_READY: removable drive without a medium
            return err::DiskNotReady;
        case 15:   // ERROR_INVALID_DRIVE
        case 53:   // ERROR_BAD_NETPATH
        case 55:   // ERROR_DEV_NOT_EXIST
        case 67:   // ERROR_BAD_NET_NAME
        case 1167: // ERROR_DEVICE_NOT_CONNECTED
            return err::DeviceUnavailable;
        default: break;
        }
    }
#endif
    const std::error_condition condition = code.default_error_condition();
    if (condition.category() == std::generic_category())
        return errorNumberFromErrno(condition.value(), fallback);
    return fallback;
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace lumora::platform
