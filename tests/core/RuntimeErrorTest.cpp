#include <cerrno>

#include <gtest/gtest.h>

#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"

namespace lumora {
namespace {

TEST(RuntimeError, DescriptionsUseTheRuntimesWording)
{
    const std::pair<int, const char*> table[] = {{5, "Invalid procedure call or argument"},
                                                 {7, "Out of memory"},
                                                 {51, "Internal error"},
                                                 {63, "Bad record number"},
                                                 {52, "Bad file name or number"},
                                                 {53, "File not found"},
                                                 {55, "File already open"},
                                                 {57, "Device I/O error"},
                                                 {59, "Bad record length"},
                                                 {61, "Disk full"},
                                                 {67, "Too many files"},
                                                 {68, "Device unavailable"},
                                                 {70, "Permission denied"},
                                                 {71, "Disk not ready"},
                                                 {75, "Path/File access error"},
                                                 {76, "Path not found"},
                                                 {481, "Invalid picture"},
                                                 {35601, "Element not found"},
                                                 {0, "Application-defined or object-defined error"},
                                                 {1000, "Application-defined or object-defined error"}};
    for (const auto& [number, text] : table)
        EXPECT_EQ(errorDescription(number), text) << number;

    EXPECT_STREQ(RuntimeError(76).what(), "Path not found");
    const RuntimeError detailed(53, "C:\\X.ZIP");
    EXPECT_EQ(detailed.description(), "File not found");
    EXPECT_EQ(detailed.detail(), "C:\\X.ZIP");
    EXPECT_STREQ(detailed.what(), "File not found: C:\\X.ZIP");
}

TEST(RuntimeError, SystemErrorsMapToTheClosestNumberForWhatWasBeingDone)
{
    using platform::Doing;
    const struct {
        int code;
        Doing doing;
        int number;
    } table[] = {{ENOENT, Doing::Opening, 76}, {ENOTDIR, Doing::Listing, 76}, {EACCES, Doing::Opening, 75},
                 {EPERM, Doing::Listing, 75},  {EROFS, Doing::Writing, 70},   {EACCES, Doing::Writing, 70},
                 {ENOSPC, Doing::Writing, 61}, {EIO, Doing::Reading, 57},     {EIO, Doing::Listing, 68},
                 {ENXIO, Doing::Opening, 68},  {ENODEV, Doing::Reading, 68},  {EMFILE, Doing::Opening, 67},
                 {ENFILE, Doing::Listing, 67}, {EINVAL, Doing::Opening, 75},  {EINVAL, Doing::Writing, 57}};
    for (const auto& c : table)
        EXPECT_EQ(platform::errorNumber(std::error_code(c.code, std::generic_category()), c.doing), c.number) << c.code;
    EXPECT_EQ(platform::errorNumber(platform::FileError::NotRegular, Doing::Writing), 75);
}

} // namespace
} // namespace lumora
