// Where Windows behaves differently, through the real system calls: the ANSI
// code page, the hidden attribute, '\' and drive roots, the settings file's
// save. Built on Windows only (scripts/test-windows.sh runs them under Wine).
#ifdef _WIN32

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/CodePage.h"
#include "core/DirectoryListing.h"
#include "core/PathRules.h"
#include "core/PreviewPath.h"
#include "core/RecordFile.h"
#include "core/SettingsRecords.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/FileSave.h"
#include "core/platform/ProcessStart.h"
#include "core/platform/ShortPath.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora {
namespace {

using test::Bytes;
using test::entriesIn;
using test::fileBytes;
using test::listFiles;
using test::listSubdirectories;
using test::writeBytes;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(WindowsCodePage, SystemAnsiPageWithoutBestFit)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the system's ANSI code page is " << GetACP() << ", not Windows-1252";
    struct Case {
        const char* utf8;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"\xE2\x82\xAC", "\x80"},                           // euro sign
        {"C:\\\xC3\xA9t\xC3\xA9.zip", "C:\\\xE9t\xE9.zip"}, // é
        {"\xC5\xB8", "\x9F"},                               // Ÿ
        {"\xCE\xA9", std::nullopt},                         // Greek Omega
        {"C:\\\xE6\xBC\xA2.zip", std::nullopt},             // a CJK character
        {"\xF0\x9F\x8E\xAE", std::nullopt},                 // beyond the BMP
        // Best fit would turn these into other characters: ā into a,
        // fullwidth Ａ into A, and the set minus into a path separator.
        {"\xC4\x81", std::nullopt},
        {"\xEF\xBC\xA1", std::nullopt},
        {"C:\\GAMES\xE2\x88\x96x.zip", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toCodePage(c.utf8), c.bytes) << c.utf8;

    // Every byte reads as Windows-1252's own table says and writes back
    // unchanged, the five bytes it leaves undefined included.
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string text = fromCodePage(byte);
        EXPECT_EQ(text, windows1252ToUtf8(byte)) << b;
        EXPECT_EQ(toCodePage(text), byte) << b;
    }

    // A path the page cannot hold is stored as an empty record, never in part.
    SettingsRecords s;
    s.selectedPath = "C:\\GAMES\\\xE6\xBC\xA2.zip";
    s.screenshotDirectory = "D:\\\xE2\x82\xAC";
    RecordImage image;
    const std::vector<UnkeptText> unkept = writeSettings(image, s);
    ASSERT_EQ(unkept.size(), 1u);
    EXPECT_TRUE(unkept[0].record == 1 && unkept[0].reason == UnkeptText::NotRepresentable);
    EXPECT_EQ(image.getString(1), "");
    EXPECT_EQ(image.getString(2), "D:\\\x80");
    EXPECT_EQ(readSettings(image).screenshotDirectory, s.screenshotDirectory);
}

TEST(WindowsListing, HiddenByAttributeNotByDot)
{
    struct Entry {
        const char* name;
        bool folder;
        bool hiddenAttribute;
        bool listed;
    };
    const Entry entries[] = {
        {".dot.zip", false, false, true}, {"shown.zip", false, false, true}, {"secret.zip", false, true, false},
        {".dotdir", true, false, true},   {"Shown", true, false, true},      {"Secret", true, true, false},
        {".both", false, true, false},
    };
    test::TempDir dir;
    Names files;
    Names folders;
    for (const Entry& e : entries) {
        const fs::path path = dir.path() / e.name;
        if (e.folder)
            fs::create_directory(path);
        else
            std::ofstream(path).put('x');
        if (e.hiddenAttribute)
            test::setHiddenAttribute(path);
        if (e.listed)
            (e.folder ? folders : files).push_back(e.name);
    }
    // The expectations are already in list order.
    EXPECT_EQ(listFiles(dir.text(), "*.*"), files);
    EXPECT_EQ(listSubdirectories(dir.text()), folders);
}

TEST(WindowsPaths, BackslashAndDriveRoots)
{
    static_assert(nativeSeparator == '\\');
    // A drive root keeps its backslash, so a file picked there gets two.
    EXPECT_EQ(joinSelectedPath("C:\\", "GAME.ZIP"), "C:\\\\GAME.ZIP");
    EXPECT_EQ(joinSelectedPath("C:\\GAMES", "GAME.ZIP"), "C:\\GAMES\\GAME.ZIP");
    EXPECT_EQ(fileNamePart("C:\\\\GAME.ZIP"), "GAME.ZIP");
    EXPECT_EQ(previewPath("D:\\", "GAME.ZIP", 1), "D:\\\\GAME.ZIP1.bmp");

    // Drive letters ignore case, as the system does.
    const std::vector<std::string> roots = {"C:\\", "d:\\", "\\\\server\\share"};
    const std::pair<const char*, const char*> onRoots[] = {
        {"c:\\games", "C:\\"}, {"D:\\ROMS", "d:\\"}, {"\\\\SERVER\\SHARE\\x", "\\\\server\\share"}, {"E:\\", ""}};
    for (const auto& [path, root] : onRoots)
        EXPECT_EQ(longestMatchingRoot(path, roots), root) << path;

    // The system takes the doubled separator as one: the joined path names
    // the file, whatever characters its name holds.
    test::TempDir dir;
    const std::string name = "\xC3\xA9t\xC3\xA9.zip";
    std::ofstream(dir.path() / platform::pathFromUtf8(name)).put('x');
    const std::string folderAsAtRoot = platform::utf8FromPath(dir.path()) + "\\";
    EXPECT_TRUE(fs::is_regular_file(platform::pathFromUtf8(joinSelectedPath(folderAsAtRoot, name))));

    // A drive root lists with its backslash, as the directory list gives it.
    const fs::path temp = fs::temp_directory_path();
    const std::string driveRoot = platform::utf8FromPath(temp.root_path());
    ASSERT_EQ(driveRoot.size(), 3u) << driveRoot;
    const std::string firstFolder = platform::utf8FromPath(*temp.relative_path().begin());
    const Names atRoot = listSubdirectories(driveRoot);
    // Letter case may differ from the temporary path's; a name with no
    // wildcard in it matches only itself, case ignored.
    EXPECT_TRUE(std::any_of(atRoot.begin(), atRoot.end(),
                            [&](const std::string& folder) { return wildcardMatch(firstFolder, folder); }))
        << driveRoot << " has no " << firstFolder;
}

// Another program's handle on the file, sharing what `share` says.
class OtherHandle {
public:
    OtherHandle(const fs::path& path, DWORD share)
        : handle_(
              CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~OtherHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// The save through the Windows calls: a replacement that keeps the file's
// attributes where nothing holds it, the contents written in place where
// another program holds it but lets it be written, a refusal where it may
// not be written at all; the old contents whole wherever the save fails.
TEST(WindowsSave, ReplacedKeptWrittenInPlaceOrRefused)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    const Bytes original(1920, 0x5A);
    const Bytes start{3, 0, 'n', 'e', 'w'};
    std::error_code opened;
    const platform::Folder folder = platform::Folder::open(dir.path(), opened);
    ASSERT_FALSE(opened) << opened.message();
    Bytes saved = original;
    std::copy(start.begin(), start.end(), saved.begin());
    std::error_code error;

    writeBytes(path, original);
    test::setHiddenAttribute(path);
    EXPECT_EQ(platform::writeFileStart(folder, path.filename(), start, error), platform::SaveMethod::Replaced);
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(fileBytes(path), saved);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "the replacement kept the attribute";

    writeBytes(path, original);
    {
        const OtherHandle reader(path, FILE_SHARE_READ | FILE_SHARE_WRITE); // no sharing of delete
        ASSERT_TRUE(reader.open());
        EXPECT_EQ(platform::writeFileStart(folder, path.filename(), start, error), platform::SaveMethod::InPlace);
        EXPECT_FALSE(error) << error.message();
    }
    EXPECT_EQ(fileBytes(path), saved);

    writeBytes(path, original);
    {
        const OtherHandle reader(path, FILE_SHARE_READ); // no writing either
        ASSERT_TRUE(reader.open());
        RecordFile file(path);
        EXPECT_EQ(test::errorNumber([&] { file.write(RecordImage(start)); }), err::PermissionDenied);
    }
    EXPECT_EQ(fileBytes(path), original);

    EXPECT_EQ(entriesIn(dir.path()), 1) << "no temporary file may stay behind";
}

TEST(WindowsSave, AReadOnlyFileIsReadAndOnlyItsSavesFail)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    const Bytes original{1, 0, 'k'};
    writeBytes(path, original);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const bool binds = !std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).is_open();
    if (binds) {
        RecordFile file(path);
        EXPECT_EQ(file.read(15).bytes(), original);
        EXPECT_EQ(test::errorNumber([&] { file.write(RecordImage(Bytes{2, 0})); }), err::PermissionDenied);
        EXPECT_EQ(fileBytes(path), original);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); // Windows deletes no read-only file
    if (!binds)
        GTEST_SKIP() << "the read-only attribute does not bind here (Wine run by the superuser)";
}

// The lines the stand-in in `folder` wrote of how it was started, once it
// has; the record goes, for the next start.
Names startedIn(const fs::path& folder)
{
    const fs::path record = folder / "gravlok-started.txt";
    for (int waited = 0; waited < 10000 && !fs::exists(record); waited += 20)
        Sleep(20);
    Sleep(100); // written whole by now
    Names lines;
    {
        std::ifstream in(record);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
    }
    std::error_code ignored;
    fs::remove(record, ignored);
    return lines;
}

// Where Windows looks for the emulator: the launcher's own folder, then the
// current one, then the PATH, each found copy of the stand-in writing down
// beside itself how it was started. One that is not there is told apart from
// one that is no program.
TEST(WindowsStart, FindsTheEmulatorWhereWindowsLooksAndHandsItThePathWhole)
{
    test::TempDir dir;
    const fs::path standin = LUMORA_STANDIN_GRAVLOK;
    ASSERT_TRUE(fs::exists(standin)) << standin.string();
    wchar_t self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    const fs::path own = fs::path(self).parent_path(), here = dir.path() / "here", onPath = dir.path() / "bin";
    fs::create_directories(here);
    fs::create_directories(onPath);
    const fs::path before = fs::current_path();
    fs::current_path(here);
    const std::wstring path = L"PATH=" + onPath.wstring();
    _wputenv(path.c_str());
    const auto start = [] { return platform::startDetached("gravlok.exe", "C:\\My Games\\A.ZIP", " -f1 -v").outcome; };
    EXPECT_EQ(start(), platform::StartResult::NotFound);
    std::ofstream(here / "gravlok.exe") << "no program";
    const platform::StartResult noProgram = platform::startDetached("gravlok.exe", "A.ZIP", "");
    EXPECT_EQ(noProgram.outcome, platform::StartResult::CannotRun);
    EXPECT_TRUE(!noProgram.reason.empty() && noProgram.reason.find("nknown") == std::string::npos) << noProgram.reason;
    EXPECT_NE(noProgram.searched.find(platform::utf8FromPath(here)), std::string::npos) << noProgram.searched;
    fs::remove(here / "gravlok.exe");

    fs::copy_file(standin, onPath / "gravlok.exe");
    ASSERT_EQ(start(), platform::StartResult::Started);
    EXPECT_EQ(startedIn(onPath), (Names{"line=gravlok.exe \"C:\\My Games\\A.ZIP\"  -f1 -v", "arg0=gravlok.exe",
                                        "arg1=C:\\My Games\\A.ZIP", "arg2=-f1", "arg3=-v"}));
    fs::copy_file(standin, here / "gravlok.exe");
    ASSERT_EQ(start(), platform::StartResult::Started);
    EXPECT_EQ(startedIn(here).size(), 5u); // the current folder before the PATH
    std::error_code ignored;
    fs::copy_file(standin, own / "gravlok.exe", fs::copy_options::overwrite_existing, ignored);
    ASSERT_EQ(start(), platform::StartResult::Started);
    EXPECT_EQ(startedIn(own).size(), 5u); // the program's own folder first
    for (int tries = 0; tries < 50 && (fs::remove(own / "gravlok.exe", ignored), fs::exists(own / "gravlok.exe"));
         ++tries)
        Sleep(100);
    fs::remove(own / "gravlok-started.txt", ignored);
    fs::current_path(before);
}

// The path reaches the emulator as one argument, as the system's own
// CommandLineToArgvW splits the line in the stand-in: quoted only where it
// must be, and by its short name where the ANSI code page lacks a character.
TEST(WindowsStart, ThePathReachesTheEmulatorAsOneArgument)
{
    test::TempDir dir;
    fs::copy_file(LUMORA_STANDIN_GRAVLOK, dir.path() / "gravlok.exe");
    const fs::path game = dir.path() / L"\u6F22\u5B57 \U0001F3AE.zip";
    std::ofstream(game).put('x');
    const std::string wide = platform::utf8FromPath(game);
    const std::optional<std::string> shortGame = platform::shortPathName(wide);
    ASSERT_TRUE(shortGame && toCodePage(*shortGame)) << "Wine keeps a short name for every file";
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const std::pair<std::string, bool> cases[] = {{"C:\\GAMES\\R&D.ZIP", true},
                                                  {"C:\\x^y.zip", true},
                                                  {"%PATH%.zip", true},
                                                  {"C:\\a(1),b;c=d!.zip", true},
                                                  {"C:\\My Games\\A.ZIP", false},
                                                  {"C:\\My Games\\", false},
                                                  {"a\tb.zip", false},
                                                  {"", false},
                                                  {wide, true}};
    for (const auto& [path, asItStands] : cases) {
        const std::string received = path == wide ? *shortGame : path;
        ASSERT_EQ(platform::startDetached("gravlok.exe", path, " -f1").outcome, platform::StartResult::Started);
        const Names lines = startedIn(dir.path());
        ASSERT_EQ(lines.size(), 4u) << path;
        EXPECT_EQ(lines[2], "arg1=" + received);
        EXPECT_EQ(lines[3], "arg2=-f1") << path;
        EXPECT_EQ(lines[0] == "line=gravlok.exe " + received + "  -f1", asItStands) << lines[0];
    }
    fs::current_path(before);
}

} // namespace
} // namespace lumora

#endif // _WIN32
