#pragma once
// The fifteen records of the settings file and the variables they pass
// through.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/RecordFile.h"

namespace lumora {

inline constexpr const char* settingsFileName = "Lumora.INI";
inline constexpr int settingsRecordCount = 15;

// The record variables: strings are UTF-8 here and converted to the code
// page only on their way to and from the file.
struct SettingsRecords {
    std::string selectedPath;              // record 1
    std::string screenshotDirectory;       // record 2
    std::string directory;                 // record 3
    std::array<TaggedValue, 10> options{}; // records 4 to 13, optSkip1 .. optModex
    std::int16_t noAnalyse = 0;            // record 14
    std::int16_t vsync = 0;                // record 15
};

// Records 1 to 3, the texts, and where each is kept.
inline constexpr std::array<std::string SettingsRecords::*, 3> textRecords = {
    &SettingsRecords::selectedPath, &SettingsRecords::screenshotDirectory, &SettingsRecords::directory};

// Why a string record was written empty instead of with its text.
struct UnkeptText {
    enum Reason { TooLong, NotRepresentable };
    int record = 0;
    Reason reason = TooLong;
};

// Records 1 to 15 in ascending order. Values a save never writes read as
// harmless ones: an unknown tag as false, an integer outside 0..2 as 0, a
// string whose count overruns its slot or the file as empty.
SettingsRecords readSettings(const RecordImage& image);

// Another name of a path that names the same file or folder (its short
// name on Windows), when it has one.
using OtherName = std::function<std::optional<std::string>(const std::string& path)>;

// Writes records 1 to 15 in ascending order into `image`. A text that does
// not fit its slot or has no code-page byte for a character is written as its
// other name where `otherName` gives one that fits; otherwise as an empty
// string, never in part, and each such record is listed in the result.
std::vector<UnkeptText> writeSettings(RecordImage& image, const SettingsRecords& records,
                                      const OtherName& otherName = {});

} // namespace lumora
