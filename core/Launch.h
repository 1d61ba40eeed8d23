#pragma once
// The emulator's switch string and command line.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingsRecords.h"

namespace lumora {

inline constexpr std::string_view emulatorProgram = "gravlok.exe";

// Option-button Values in switch-table order: optSkip1..4, optScan, optScan25,
// optScan50, optScanNo, optVga, optModex.
// Check-box Values (0, 1 or 2): chkNoAnalyse, chkVsync.
struct SwitchInputs {
    std::array<bool, 10> options{};
    int noAnalyse = 0;
    int vsync = 0;
};

// The settings window's option and check-box values as the records hold them.
SwitchInputs switchInputs(const SettingsRecords& records);

// The twelve switches in the order they are tested.
inline constexpr std::array<std::string_view, 12> switchTexts = {
    " -f0", " -f1", " -f2", " -f3", " -s", " -s25", " -s50", " -s100", " -vga", " -modex", " -noanalyse", " -v"};

// Option buttons count only when True, check boxes only when exactly 1.
std::string switchString(const SwitchInputs& inputs);

// "gravlok.exe ", the selected path, " ", the switch string.
std::string commandLine(std::string_view selectedPath, std::string_view switches);

// The selected path as the command line Windows starts the emulator with
// holds it: in quotes where CommandLineToArgvW would otherwise not read it
// back as one argument (a blank, a tab, a quote, or no path at all);
// otherwise as it stands. "&", "^" or "%" mean something to cmd.exe alone,
// which the start does not go through.
std::string quotedForWindows(std::string_view selectedPath);

// What the process start receives: the selected path as one argument (none
// when empty), whatever blanks it holds, then each switch as its own argument.
std::vector<std::string> launchArguments(std::string_view selectedPath, std::string_view switches);

} // namespace lumora
