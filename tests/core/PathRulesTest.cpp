#include <cctype>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/PathRules.h"

namespace lumora {
namespace {

TEST(PathRules, FileTypePatterns)
{
    EXPECT_EQ(patternForFileType(0), "*.zip");
    EXPECT_EQ(patternForFileType(1), "*.*");
    EXPECT_EQ(patternForFileType(-1), std::nullopt);
    EXPECT_EQ(patternForFileType(2), std::nullopt);
}

TEST(PathRules, JoinAndSplitKeepTextAsItStands)
{
    EXPECT_EQ(joinSelectedPath("C:\\GAMES", "SAMPLE.ZIP", '\\'), "C:\\GAMES\\SAMPLE.ZIP");
    EXPECT_EQ(joinSelectedPath("C:\\", "GAME.ZIP", '\\'), "C:\\\\GAME.ZIP");
    EXPECT_EQ(joinSelectedPath("/", "a.zip", '/'), "//a.zip");
    EXPECT_EQ(joinSelectedPath("", "a.zip", '/'), "/a.zip");

    const std::pair<const char*, const char*> names[] = {
        {"C:\\GAMES\\SAMPLE.ZIP", "SAMPLE.ZIP"},
        {"SAMPLE.ZIP", "SAMPLE.ZIP"},
        {"", ""},
        {"C:\\GAMES\\", ""},
        {"\\", ""},
        {"\\\\x", "x"},
        {"C:\\\\GAME.ZIP", "GAME.ZIP"},
        {"C:/a\\b", "b"},
        {"\\r\xC3\xA9\\\xC3\xA9t\xC3\xA9.zip", "\xC3\xA9t\xC3\xA9.zip"}};
    for (const auto& [path, name] : names)
        EXPECT_EQ(fileNamePart(path, '\\'), name) << path;
    EXPECT_EQ(fileNamePart("/home/u/x.zip", '/'), "x.zip");
}

TEST(WildcardMatch, Table)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {{"*.zip", "game.zip", true},
                          {"*.zip", ".zip", true},
                          {"*.zip", "game.zip.bak", false},
                          {"*.zip", "gamezip", false},
                          {"*", "", true},
                          {"", "a", false},
                          {"a*b*c", "aXbYc", true},
                          {"a*b*c", "aXbYcd", false},
                          {"*aab", "aaab", true},
                          // "?" is one character, however many bytes it takes
                          {"?.zip", "ab.zip", false},
                          {"?.zip", ".zip", false},
                          {"?.zip", "\xC3\xA9.zip", true},
                          {"?.zip", "\xF0\x9F\x8E\xAE.zip", true},
                          {"??.zip", "\xC3\xA9.zip", false},
                          // Letter case: ASCII, Latin-1, Latin Extended-A
                          {"*.ZIP", "game.zip", true},
                          {"\xC3\x89*",
                           "\xC3\xA9"
                           "cole",
                           true},
                          {"\xC3\x97", "\xC3\xB7", false},
                          {"\xC3\x9F", "\xC3\xBF", false},
                          {"\xC5\x81\xC3\xB3"
                           "d\xC5\xBA",
                           "\xC5\x82\xC3\x93"
                           "D\xC5\xB9",
                           true}, // Łódź
                          {"\xC4\x80", "\xC4\x81", true},
                          {"\xC5\xB8", "\xC3\xBF", true},
                          {"\xC4\x81", "\xC4\x82", false},
                          // Bytes that are not UTF-8 stand for themselves
                          {"\xE9.zip", "\xE9.zip", true},
                          {"\xE9.zip", "\xC3\xA9.zip", false},
                          {"?.zip", "\xFF.zip", true},
                          // ".*" at the end also takes names without any dot
                          {"*.*", "README", true},
                          {"*.*", "a.b.c", true},
                          {"foo.*", "FOO", true},
                          {"foo.*", "foobar", false},
                          {"f?o.*", "fxo", true},
                          {"*.zip", "README", false},
                          // The end of a name against a star and plain ASCII
                          {"*.zip", "G\xC3\xA9.ZIP", true},
                          {"*.zip", "game.z\xC3\xADp", false},
                          {"*.zip", "zip", false},
                          {"*.zip", "\xFF.zip", true},
                          {"*.zip", "game.zi\xC3\xB0", false}};
    for (const Case& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;

    // A backtracking matcher without a single restart point never returns here.
    const std::string name(20000, 'a');
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*", name));
}

// Slow but obviously right: tries every split a star could make.
bool referenceMatch(std::string_view p, std::string_view n)
{
    if (p.empty())
        return n.empty();
    if (p[0] == '*')
        return referenceMatch(p.substr(1), n) || (!n.empty() && referenceMatch(p, n.substr(1)));
    return !n.empty() &&
           (p[0] == '?' ||
            std::tolower(static_cast<unsigned char>(p[0])) == std::tolower(static_cast<unsigned char>(n[0]))) &&
           referenceMatch(p.substr(1), n.substr(1));
}

TEST(WildcardMatch, AgreesWithExhaustiveSearch)
{
    std::mt19937 random(42);
    const std::string patternAlphabet = "ab.*?A", nameAlphabet = "abB.";
    for (int round = 0; round < 50000; ++round) {
        std::string pattern, name;
        for (std::size_t k = random() % 8; k > 0; --k)
            pattern += patternAlphabet[random() % patternAlphabet.size()];
        for (std::size_t k = random() % 9; k > 0; --k)
            name += nameAlphabet[random() % nameAlphabet.size()];
        bool expected = referenceMatch(pattern, name);
        if (!expected && pattern.ends_with(".*") && name.find('.') == std::string::npos)
            expected = referenceMatch(std::string_view(pattern).substr(0, pattern.size() - 2), name);
        ASSERT_EQ(wildcardMatch(pattern, name), expected) << pattern << " / " << name;
    }
}

TEST(ListOrder, CaseIgnoredThenBytes)
{
    const std::pair<const char*, const char*> less[] = {{"a", "B"},
                                                        {"B", "c"},
                                                        {"abc", "ABCD"},
                                                        {"", "a"},
                                                        {"A", "a"},
                                                        {"GAME", "game"},
                                                        {"_", "a"},
                                                        {"9", "_"},
                                                        {"z", "\xC3\xA9"},
                                                        {"\xC3\x89"
                                                         "a",
                                                         "\xC3\xA9"
                                                         "b"},
                                                        {"\xC3\xBF", "\xFF"}};
    for (const auto& [a, b] : less) {
        EXPECT_TRUE(listOrderLess(a, b)) << a << " < " << b;
        EXPECT_FALSE(listOrderLess(b, a)) << b << " < " << a;
    }
    EXPECT_FALSE(listOrderLess("same", "same"));
}

// Names built from pieces whose folded values are known: the comparator, with
// its ASCII short way, must agree with comparing those values one by one, then
// the number of characters, then the bytes.
TEST(ListOrder, AgreesWithComparingFoldedCharacters)
{
    struct Piece {
        const char* bytes;
        char32_t folded;
    };
    const Piece pieces[] = {{"A", 'a'},          {"a", 'a'},          {"B", 'b'},         {"b", 'b'},
                            {".", '.'},          {"1", '1'},          {"\xC3\x89", 0xE9}, {"\xC3\xA9", 0xE9},
                            {"\xC5\x81", 0x142}, {"\xC5\x82", 0x142}, {"\xE9", 0x1100E9}};
    std::mt19937 random(5);
    const auto make = [&](std::string& bytes, std::vector<char32_t>& folded) {
        for (std::size_t k = random() % 6; k > 0; --k) {
            const Piece& piece = pieces[random() % std::size(pieces)];
            bytes += piece.bytes;
            folded.push_back(piece.folded);
        }
    };
    for (int round = 0; round < 50000; ++round) {
        std::string a, b;
        std::vector<char32_t> fa, fb;
        make(a, fa);
        make(b, fb);
        const bool expected =
            fa != fb ? std::lexicographical_compare(fa.begin(), fa.end(), fb.begin(), fb.end()) : a < b;
        ASSERT_EQ(listOrderLess(a, b), expected) << a << " / " << b;
    }
}

// As the classic drive list names drives on Windows, and elsewhere by root.
TEST(DriveText, Table)
{
    const struct {
        const char* root;
        const char* label;
        char separator;
        const char* text;
    } cases[] = {
        {"C:\\", "SYSTEM", '\\', "c: [SYSTEM]"},
        {"A:\\", "", '\\', "a:"},
        {"Z:\\", "\\\\nas\\games", '\\', "z: [\\\\nas\\games]"},
        {"/media/stick", "GAMES", '/', "/media/stick [GAMES]"},
        {"/", "", '/', "/ [disk]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(driveText(c.root, c.label, c.separator), c.text) << c.root;
}

TEST(LongestMatchingRoot, Table)
{
    const std::vector<std::string> unixRoots = {"/", "/mnt/usb", "/mnt/usb/deep", "/media/"};
    const std::pair<const char*, const char*> onUnix[] = {
        {"/home/u", "/"},         {"/", "/"},
        {"/mnt/usb", "/mnt/usb"}, {"/mnt/usb/x", "/mnt/usb"},
        {"/mnt/usbx", "/"},       {"/mnt/usb/deep/er", "/mnt/usb/deep"},
        {"/MNT/usb", "/"},        {"/media/cd", "/media/"},
        {"relative", ""},         {"", ""}};
    for (const auto& [path, root] : onUnix)
        EXPECT_EQ(longestMatchingRoot(path, unixRoots, '/'), root) << path;

    const std::vector<std::string> windowsRoots = {"C:\\", "D:\\", "\\\\server\\share"};
    const std::pair<const char*, const char*> onWindows[] = {{"C:\\GAMES", "C:\\"},
                                                             {"c:\\games", "C:\\"},
                                                             {"C:", ""},
                                                             {"E:\\X", ""},
                                                             {"\\\\SERVER\\Share\\roms", "\\\\server\\share"},
                                                             {"\\\\server\\shares", ""}};
    for (const auto& [path, root] : onWindows)
        EXPECT_EQ(longestMatchingRoot(path, windowsRoots, '\\'), root) << path;
}

// The root a path names itself, for a folder whose drive is in no table.
TEST(PathRoot, Table)
{
    const struct {
        const char* path;
        char separator;
        const char* root;
    } cases[] = {
        {"E:\\games\\roms", '\\', "E:\\"},
        {"e:", '\\', "e:\\"},
        {"\\\\nas\\roms\\a", '\\', "\\\\nas\\roms\\"},
        {"//nas/roms", '\\', "\\\\nas\\roms\\"},
        {"\\\\nas", '\\', ""},
        {"\\games", '\\', ""},
        {"games", '\\', ""},
        {"/media/stick/games", '/', "/"},
        {"games", '/', ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathRoot(c.path, c.separator), c.root) << c.path;
}

// The long form takes a path as it stands: whatever the system would make
// of an ordinary one must already be done, or the file named is another.
TEST(WindowsLongForm, Table)
{
    std::string deep = "C:\\";
    for (int i = 0; i < 30; ++i)
        deep += "folder0123\\";
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\GAMES\\A.ZIP", "\\\\?\\C:\\GAMES\\A.ZIP"},
        {"c:/games//roms\\", "\\\\?\\c:\\games\\roms\\"},
        {"C:\\\\GAME.ZIP", "\\\\?\\C:\\GAME.ZIP"},
        {"C:\\", "\\\\?\\C:\\"},
        {"C:\\a\\.\\b\\..\\c", "\\\\?\\C:\\a\\c"},
        {"C:\\..\\x", "\\\\?\\C:\\x"},
        {"C:\\dir.\\name. .", "\\\\?\\C:\\dir\\name"},
        {"C:\\...\\x", "\\\\?\\C:\\...\\x"},
        {"\\\\server\\share\\roms", "\\\\?\\UNC\\server\\share\\roms"},
        {"\\\\server\\share\\..\\..\\x", "\\\\?\\UNC\\server\\share\\x"},
        {deep + "A.ZIP", "\\\\?\\" + deep + "A.ZIP"},
        // Already long, a device, no share, relative: as they stand.
        {"\\\\?\\C:\\x\\..\\y", "\\\\?\\C:\\x\\..\\y"},
        {"\\\\.\\NUL", "\\\\.\\NUL"},
        {"\\\\server", "\\\\server"},
        {"games\\a.zip", "games\\a.zip"},
        {"\\games", "\\games"},
        {"C:games", "C:games"},
        {"", ""},
    };
    for (const auto& [path, longForm] : cases)
        EXPECT_EQ(windowsLongForm(std::string_view(path)), longForm) << path;
    EXPECT_EQ(windowsLongForm(std::wstring_view(L"C:\\\u00E9t\u00E9\\\u6F22.zip")),
              L"\\\\?\\C:\\\u00E9t\u00E9\\\u6F22.zip");
}

} // namespace
} // namespace lumora
