#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/Launch.h"
#include "core/PreviewPath.h"

#ifdef _WIN32
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"
#include <shellapi.h>
#endif

namespace lumora {
namespace {

SwitchInputs inputsWith(std::initializer_list<int> optionsOn, int noAnalyse, int vsync)
{
    SwitchInputs inputs;
    for (const int i : optionsOn)
        inputs.options[static_cast<std::size_t>(i)] = true;
    inputs.noAnalyse = noAnalyse;
    inputs.vsync = vsync;
    return inputs;
}

TEST(Launch, SwitchStringAndCommandLine)
{
    EXPECT_EQ(switchString(inputsWith({}, 0, 0)), "");
    EXPECT_EQ(switchString(inputsWith({9, 0}, 1, 1)), " -f0 -modex -noanalyse -v");
    EXPECT_EQ(switchString(inputsWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 0)),
              " -f0 -f1 -f2 -f3 -s -s25 -s50 -s100 -vga -modex");
    // Grey check boxes (2) and stray values add nothing.
    EXPECT_EQ(switchString(inputsWith({}, 2, 2)), "");
    EXPECT_EQ(switchString(inputsWith({}, -1, 3)), "");

    const std::string line = commandLine("C:\\GAMES\\SAMPLE.ZIP", switchString(inputsWith({1, 5}, 0, 1)));
    EXPECT_EQ(line, "gravlok.exe C:\\GAMES\\SAMPLE.ZIP  -f1 -s25 -v");
    EXPECT_EQ(line.size(), 44u);
    EXPECT_EQ(commandLine("", ""), "gravlok.exe  ");
}

TEST(Launch, ArgumentsKeepThePathWhole)
{
    using Args = std::vector<std::string>;
    EXPECT_EQ(launchArguments("C:\\GAMES\\SAMPLE.ZIP", " -f1 -s25 -v"),
              (Args{"C:\\GAMES\\SAMPLE.ZIP", "-f1", "-s25", "-v"}));
    EXPECT_EQ(launchArguments("/tmp/My Games/odd -v.zip", " -s"), (Args{"/tmp/My Games/odd -v.zip", "-s"}));
    EXPECT_EQ(launchArguments("", " -vga -v"), (Args{"-vga", "-v"}));
    EXPECT_EQ(launchArguments("", ""), Args{});
    EXPECT_EQ(launchArguments("x", "  -a   -b "), (Args{"x", "-a", "-b"}));
}

// On Windows the emulator gets one command line: the path quoted where it
// must be, so that the rules every Windows program splits its line by give
// it back whole; the switches as they were built. Under Wine the line is
// split by the system's own CommandLineToArgvW.
TEST(Launch, TheWindowsCommandLineKeepsThePathOneArgument)
{
    const struct {
        const char* path;
        const char* quoted;
    } cases[] = {
        {"C:\\GAMES\\SAMPLE.ZIP", "C:\\GAMES\\SAMPLE.ZIP"},
        {"C:\\\\GAME.ZIP", "C:\\\\GAME.ZIP"},
        {"C:\\My Games\\A.ZIP", "\"C:\\My Games\\A.ZIP\""},
        {"C:\\R&D\\A.ZIP", "\"C:\\R&D\\A.ZIP\""},
        {"C:\\odd\"name\\A.ZIP", "\"C:\\odd\\\"name\\A.ZIP\""},
        {"C:\\odd\\\"q.ZIP", "\"C:\\odd\\\\\\\"q.ZIP\""},
        {"C:\\My Games\\", "\"C:\\My Games\\\\\""},
        {"C:\\dir\\", "C:\\dir\\"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quotedForWindows(c.path), c.quoted) << c.path;
#ifdef _WIN32
        const std::string line = commandLine(quotedForWindows(c.path), " -f1 -v");
        int count = 0;
        LPWSTR* words = CommandLineToArgvW(platform::wideFromUtf8(line).value().c_str(), &count);
        ASSERT_NE(words, nullptr);
        std::vector<std::string> split;
        for (int i = 0; i < count; ++i)
            split.push_back(platform::utf8FromWide(words[i]));
        LocalFree(words);
        std::vector<std::string> expected{"gravlok.exe"};
        if (*c.path != '\0')
            expected.emplace_back(c.path);
        expected.insert(expected.end(), {"-f1", "-v"});
        EXPECT_EQ(split, expected) << line;
#endif
    }
}

TEST(PreviewPath, JoinsDirectoryNameAndNumber)
{
    EXPECT_EQ(previewPath("D:\\SHOTS", "PUZZLE.ZIP", 1, '\\'), "D:\\SHOTS\\PUZZLE.ZIP1.bmp");
    EXPECT_EQ(previewPath("D:\\SHOTS", "PUZZLE.ZIP", 2, '\\'), "D:\\SHOTS\\PUZZLE.ZIP2.bmp");
    EXPECT_EQ(previewPath("D:\\", "PUZZLE.ZIP", 1, '\\'), "D:\\\\PUZZLE.ZIP1.bmp");
    EXPECT_EQ(previewPath("", "PUZZLE.ZIP", 1, '\\'), "\\PUZZLE.ZIP1.bmp");
    EXPECT_EQ(previewPath("D:\\SHOTS", "", 1, '\\'), "D:\\SHOTS\\1.bmp");
    for (const int which : {0, 3, -1})
        EXPECT_EQ(test::errorNumber([&] { previewPath("D:\\S", "A.ZIP", which, '\\'); }), 5) << which;
}

} // namespace
} // namespace lumora
