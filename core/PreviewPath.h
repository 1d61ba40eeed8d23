#pragma once

#include <string>
#include <string_view>

#include "core/PathRules.h"

namespace lumora {

// Screenshot directory, one separator, file-name part, then "1.bmp" or "2.bmp"
// (`which` is 1 or 2), joined as they stand: PUZZLE.ZIP gives PUZZLE.ZIP1.bmp.
std::string previewPath(std::string_view screenshotDirectory, std::string_view fileNamePart, int which,
                        char separator = nativeSeparator);

} // namespace lumora
