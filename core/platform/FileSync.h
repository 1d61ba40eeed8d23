#pragma once
// Native file access the record files need beyond <cstdio>: opening by a
// path that may hold any character, and pushing written data to the disk.
// Failures leave errno set, as the C library does.

#include <cstdio>
#include <filesystem>

namespace lumora::platform {

// std::fopen for a filesystem path (wide on Windows, so names outside the
// ANSI code page still open).
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Flushes the stream and asks the system to put its data on the disk.
bool syncFile(std::FILE* file);

// Makes a rename inside `directory` durable where the system needs that
// separately; best effort, as not every file system allows it.
void syncDirectory(const std::filesystem::path& directory);

} // namespace lumora::platform
