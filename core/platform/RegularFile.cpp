#include "core/platform/RegularFile.h"

#include <string>
#include <utility>

namespace lumora::platform {

namespace {

class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "lumora.file"; }
    std::string message(int) const override { return "not a regular file"; }
};

} // namespace

const std::error_category& fileErrorCategory() noexcept
{
    static const FileErrorCategory category;
    return category;
}

RegularFile::RegularFile(RegularFile&& other) noexcept { *this = std::move(other); }

RegularFile::~RegularFile() { close(); }

Folder::Folder(Folder&& other) noexcept { *this = std::move(other); }

} // namespace lumora::platform
