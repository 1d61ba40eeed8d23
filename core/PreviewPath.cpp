#include "core/PreviewPath.h"

#include "core/RuntimeError.h"

namespace lumora {

std::string previewPath(std::string_view screenshotDirectory, std::string_view fileNamePart, int which, char separator)
{
    if (which != 1 && which != 2)
        throw RuntimeError(err::InvalidProcedureCall, "preview number " + std::to_string(which));
    std::string path;
    path.reserve(screenshotDirectory.size() + fileNamePart.size() + 6);
    path.append(screenshotDirectory);
    path += separator;
    path.append(fileNamePart);
    path += which == 1 ? "1.bmp" : "2.bmp";
    return path;
}

} // namespace lumora
