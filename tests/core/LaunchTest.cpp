#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/Launch.h"
#include "core/PreviewPath.h"

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

// cmd.exe's characters mean nothing to the start, which does not go through
// cmd.exe: a path holding them goes as it stands, and only one that would
// not come back as one argument is quoted. (That it does come back whole is
// WindowsStart's to show, through the system's own CommandLineToArgvW.)
TEST(Launch, OnlyWhatWouldSplitThePathIsQuotedForWindows)
{
    for (const char* plain :
         {"C:\\GAMES\\R&D.ZIP", "C:\\x^y.zip", "%PATH%.zip", "C:\\a(1),b;c=d!.zip", "C:\\dir\\", "C:\\\\GAME.ZIP"})
        EXPECT_EQ(quotedForWindows(plain), plain);
    for (const char* split : {"C:\\My Games\\A.ZIP", "a\tb", "q\"x", ""})
        EXPECT_EQ(quotedForWindows(split).front(), '"') << split;
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
