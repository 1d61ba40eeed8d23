#include "core/Launch.h"

namespace lumora {

SwitchInputs switchInputs(const SettingsRecords& records)
{
    SwitchInputs inputs;
    for (std::size_t i = 0; i < inputs.options.size(); ++i)
        inputs.options[i] = records.options[i].isTrue();
    inputs.noAnalyse = records.noAnalyse;
    inputs.vsync = records.vsync;
    return inputs;
}

std::string switchString(const SwitchInputs& inputs)
{
    std::string switches;
    for (std::size_t i = 0; i < inputs.options.size(); ++i) {
        if (inputs.options[i])
            switches += switchTexts[i];
    }
    // A grey check box (2) is neither on nor off and adds nothing.
    if (inputs.noAnalyse == 1)
        switches += switchTexts[10];
    if (inputs.vsync == 1)
        switches += switchTexts[11];
    return switches;
}

std::string commandLine(std::string_view selectedPath, std::string_view switches)
{
    std::string line;
    line.reserve(emulatorProgram.size() + selectedPath.size() + switches.size() + 2);
    line.append(emulatorProgram);
    line += ' ';
    line.append(selectedPath);
    line += ' ';
    line.append(switches);
    return line;
}

std::string quotedForWindows(std::string_view selectedPath)
{
    if (!selectedPath.empty() && selectedPath.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(selectedPath);
    // In quotes, by the rules CommandLineToArgvW reads them with: backslashes
    // stand for themselves unless a quote follows, so those before a quote,
    // and at the end before the closing one, are doubled.
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : selectedPath) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::vector<std::string> launchArguments(std::string_view selectedPath, std::string_view switches)
{
    std::vector<std::string> arguments;
    // The path stays whole: a folder name with blanks, or even " -v", must
    // reach the emulator as the file name and nothing else.
    if (!selectedPath.empty())
        arguments.emplace_back(selectedPath);
    std::size_t pos = 0;
    while (pos < switches.size()) {
        const std::size_t blank = switches.find(' ', pos);
        const std::size_t end = blank == std::string_view::npos ? switches.size() : blank;
        if (end > pos)
            arguments.emplace_back(switches.substr(pos, end - pos));
        pos = end + 1;
    }
    return arguments;
}

} // namespace lumora
