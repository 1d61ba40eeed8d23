#include <cerrno>

#include <gtest/gtest.h>

#include "core/RuntimeError.h"

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

TEST(RuntimeError, ErrnoMapsToTheClosestNumber)
{
    const std::pair<int, int> table[] = {{ENOENT, 76}, {ENOTDIR, 76}, {EACCES, 75}, {EPERM, 75},
                                         {EROFS, 75},  {ENOSPC, 61},  {EIO, 57},    {ENXIO, 68},
                                         {ENODEV, 68}, {EMFILE, 67},  {ENFILE, 67}, {EINVAL, 999}};
    for (const auto& [code, number] : table)
        EXPECT_EQ(errorNumberFromErrno(code, 999), number) << code;
}

} // namespace
} // namespace lumora
