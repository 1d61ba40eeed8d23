#include <gtest/gtest.h>

#include "core/CodePage.h"

namespace lumora {
namespace {

TEST(CodePage, Windows1252BothWays)
{
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(byte)), byte) << b;
    }
    const std::pair<unsigned char, const char*> table[] = {
        {0x80, "\xE2\x82\xAC"}, {0x81, "\xC2\x81"}, {0x82, "\xE2\x80\x9A"}, {0x83, "\xC6\x92"},     {0x8A, "\xC5\xA0"},
        {0x8D, "\xC2\x8D"},     {0x8F, "\xC2\x8F"}, {0x90, "\xC2\x90"},     {0x99, "\xE2\x84\xA2"}, {0x9D, "\xC2\x9D"},
        {0x9F, "\xC5\xB8"},     {0xA0, "\xC2\xA0"}, {0xE9, "\xC3\xA9"},     {0xFF, "\xC3\xBF"}};
    for (const auto& [byte, text] : table)
        EXPECT_EQ(windows1252ToUtf8(std::string(1, static_cast<char>(byte))), text) << int(byte);
}

TEST(CodePage, NothingIsSubstituted)
{
    const char* noByte[] = {"\xCE\xA9", "C:\\\xE6\xBC\xA2.zip", "\xC2\x80", "\xF0\x9F\x8E\xAE"};
    for (const char* text : noByte)
        EXPECT_EQ(utf8ToWindows1252(text), std::nullopt) << text;
    const char* notUtf8[] = {"\xC3", "a\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE9t"};
    for (const char* text : notUtf8) {
        EXPECT_EQ(utf8ToWindows1252(text), std::nullopt) << text;
        EXPECT_EQ(toCodePage(text), std::nullopt) << text;
    }
    EXPECT_EQ(toCodePage("C:\\\xC3\xA9t\xC3\xA9.zip"), "C:\\\xE9t\xE9.zip");
    EXPECT_EQ(toCodePage(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(fromCodePage("\xE9"), "\xC3\xA9");
}

} // namespace
} // namespace lumora
