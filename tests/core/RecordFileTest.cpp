#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "CoreTestSupport.h"
#include "core/RecordFile.h"
#include "core/platform/FileSave.h"
#include "core/platform/FileSaveSystem.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::entriesIn;
using test::errorNumber;
using test::fileBytes;
using test::writeBytes;

constexpr int settingsRecords = 15;

TEST(RecordFile, OpenCreatesMissingFileAndLeavesExistingOne)
{
    test::TempDir dir;
    const fs::path fresh = dir.path() / "Lumora.INI";
    EXPECT_TRUE(RecordFile(fresh).read(settingsRecords).bytes().empty());
    EXPECT_EQ(fs::file_size(fresh), 0u);

    const fs::path existing = dir.path() / "old.INI";
    const Bytes original = {3, 0, 'a', 'b', 'c', 9};
    writeBytes(existing, original);
    RecordFile file(existing);
    EXPECT_EQ(fileBytes(existing), original);
    EXPECT_EQ(file.read(settingsRecords).bytes(), original);

    EXPECT_EQ(errorNumber([&] { RecordFile f(dir.path() / "absent" / "x"); }), err::PathNotFound);
}

TEST(RecordFile, ReadsTheRecordsOnlyAndASaveKeepsWhatFollowsThem)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    Bytes original(std::size_t{1} << 20);
    for (std::size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<unsigned char>(i * 7);
    writeBytes(path, original);
    RecordFile file(path);
    RecordImage image = file.read(settingsRecords);
    EXPECT_EQ(image.bytes(), Bytes(original.begin(), original.begin() + 1920));

    image.putString(2, "new");
#ifndef _WIN32
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
#endif
    file.write(image);
#ifndef _WIN32
    // A tail this large is not copied on every save: written in place.
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
#endif
    Bytes expected = original;
    std::copy(image.bytes().begin(), image.bytes().end(), expected.begin());
    EXPECT_EQ(fileBytes(path), expected);
    EXPECT_EQ(file.read(settingsRecords).bytes(), image.bytes());

    EXPECT_EQ(entriesIn(dir.path()), 1) << "no temporary file may stay behind";
#ifndef _WIN32
    // Deleted behind our back: written anew. (Windows deletes no file that a
    // handle still holds; the name stays until the handle is closed.)
    fs::remove(path);
    file.write(RecordImage(Bytes{1, 2}));
    EXPECT_EQ(fileBytes(path), (Bytes{1, 2}));
    EXPECT_EQ(entriesIn(dir.path()), 1);
#endif
}

TEST(RecordFile, WriteIntoVanishedDirectoryRaises)
{
    test::TempDir dir;
    fs::create_directory(dir.path() / "gone");
    RecordFile file(dir.path() / "gone" / "Lumora.INI");
    std::error_code removeError;
    fs::remove_all(dir.path() / "gone", removeError);
#ifdef _WIN32
    if (removeError)
        GTEST_SKIP() << "Windows keeps a folder that holds an open file: " << removeError.message();
#endif
    ASSERT_FALSE(removeError) << removeError.message();
    EXPECT_EQ(errorNumber([&] { file.write(RecordImage(Bytes{1})); }), err::PathNotFound);
    EXPECT_EQ(errorNumber([&] { (void)file.read(settingsRecords); }), 0);
}

#ifndef _WIN32
// "" when a save of record 2 through a newly opened file went through and the
// file holds it; otherwise what happened.
std::string saveChecked(const fs::path& path)
{
    RecordFile file(path);
    RecordImage image = file.read(settingsRecords);
    image.putString(2, "new");
    file.write(image);
    const Bytes held = fileBytes(path);
    return Bytes(held.begin() + 128, held.begin() + 133) == Bytes{3, 0, 'n', 'e', 'w'} ? "" : "not saved";
}

#endif

TEST(RecordFile, OpensOnlyRegularFilesAndNeverWaitsOnOthers)
{
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and links to devices are POSIX's";
#else
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0666), 0);
    fs::create_symlink(dir.path() / "fifo", dir.path() / "fifo-link");
    fs::create_symlink("/dev/zero", dir.path() / "zero-link");
    fs::create_directory(dir.path() / "folder");
    for (const char* name : {"fifo", "fifo-link", "zero-link", "folder"})
        EXPECT_EQ(errorNumber([&] { RecordFile f(dir.path() / name); }), err::PathFileAccessError) << name;

    // A file that turned into one after the start is refused by the save.
    const fs::path path = dir.path() / "Lumora.INI";
    RecordFile file(path);
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    EXPECT_EQ(errorNumber([&] { file.write(RecordImage(Bytes{1})); }), err::PathFileAccessError);
#endif
}

TEST(RecordFile, ASaveKeepsTheFileWhatItWas)
{
#ifdef _WIN32
    GTEST_SKIP() << "links, owners and modes are POSIX's; WindowsSave covers the Windows save";
#else
    test::TempDir dir;
    const Bytes original(1920, 0x5A);

    // A link stays a link, and the file it points to takes the save.
    writeBytes(dir.path() / "real.INI", original);
    fs::create_symlink("real.INI", dir.path() / "link.INI");
    EXPECT_EQ(saveChecked(dir.path() / "link.INI"), "");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.INI"));
    EXPECT_EQ(fileBytes(dir.path() / "real.INI"), fileBytes(dir.path() / "link.INI"));

    // Every hard link sees the save.
    writeBytes(dir.path() / "one.INI", original);
    fs::create_hard_link(dir.path() / "one.INI", dir.path() / "two.INI");
    EXPECT_EQ(saveChecked(dir.path() / "one.INI"), "");
    EXPECT_EQ(fs::hard_link_count(dir.path() / "one.INI"), 2u);
    EXPECT_EQ(fileBytes(dir.path() / "two.INI"), fileBytes(dir.path() / "one.INI"));

    // The mode stays; and owner and group, which only the superuser can make
    // someone else's to try it with.
    writeBytes(dir.path() / "mine.INI", original);
    ASSERT_EQ(::chmod((dir.path() / "mine.INI").c_str(), 0640), 0);
    EXPECT_EQ(saveChecked(dir.path() / "mine.INI"), "");
    EXPECT_EQ(fs::status(dir.path() / "mine.INI").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (::geteuid() == 0) {
        const fs::path theirs = dir.path() / "theirs.INI";
        writeBytes(theirs, original);
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(theirs.c_str(), 0604), 0);
        EXPECT_EQ(saveChecked(theirs), "");
        struct stat status {};
        ASSERT_EQ(::stat(theirs.c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, 65534u);
        EXPECT_EQ(status.st_gid, 65534u);
        EXPECT_EQ(status.st_mode & 07777, 0604u);
    }
    EXPECT_EQ(entriesIn(dir.path()), ::geteuid() == 0 ? 6 : 5) << "no temporary file may stay behind";
#endif
}

TEST(RecordFile, PermissionsBindEvenWhenTheSuiteRunsAsRoot)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permissions and users";
#else
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const Bytes original(1920, 0x5A);

    // Read-only: it opens and reads, and only a save fails.
    const fs::path readOnly = dir.path() / "read-only.INI";
    writeBytes(readOnly, original);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(test::asOrdinaryUser([&]() -> std::string {
                  RecordFile file(readOnly);
                  if (file.read(settingsRecords).bytes() != original)
                      return "not read";
                  const int number = errorNumber([&] { file.write(RecordImage(Bytes{2, 0})); });
                  return number == err::PermissionDenied ? "" : "save gave error " + std::to_string(number);
              }),
              "");
    EXPECT_EQ(fileBytes(readOnly), original);

    // A writable file in a folder where no new file may be made.
    fs::create_directory(dir.path() / "locked");
    const fs::path locked = dir.path() / "locked" / "Lumora.INI";
    writeBytes(locked, original);
    fs::permissions(locked, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(test::asOrdinaryUser([&] { return saveChecked(locked); }), "");
    fs::permissions(dir.path() / "locked", fs::perms::all);
    EXPECT_EQ(entriesIn(dir.path() / "locked"), 1);

    // Someone else's file that this user may write: it stays theirs.
    if (::geteuid() == 0) {
        const fs::path shared = dir.path() / "shared.INI";
        writeBytes(shared, original);
        fs::permissions(shared,
                        fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
        EXPECT_EQ(test::asOrdinaryUser([&] { return saveChecked(shared); }), "");
        struct stat status {};
        ASSERT_EQ(::stat(shared.c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, 0u);
        EXPECT_EQ(status.st_mode & 07777, 0666u);
    }
#endif
}

// However a save writes, one that fails leaves the file byte for byte what
// it was: a copy that replaces it is discarded, and a write in place (here
// through a link, which a copy would turn into a file) puts back what it
// replaced.
TEST(RecordFile, FailedWriteLeavesOldContentWhole)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit that makes a write fail for sure";
#else
    test::TempDir dir;
    const Bytes original(1920, 0x5A);
    writeBytes(dir.path() / "Lumora.INI", original);
    fs::create_symlink("Lumora.INI", dir.path() / "link.INI");
    writeBytes(dir.path() / "short.INI", Bytes(300, 0x33));
    fs::create_symlink("short.INI", dir.path() / "short-link.INI");

    // A file size limit binds even the superuser, and every write at an
    // offset beyond it, so the write fails for sure, far from its end or at
    // its last byte, or half-way in place; the limit is lifted again before
    // any assertion writes a log.
    const struct {
        const char* name;
        rlim_t limit;
        std::size_t size;
    } cases[] = {{"Lumora.INI", rlim_t{64} * 1024, std::size_t{256} * 1024},
                 {"Lumora.INI", 1919, 1920},
                 {"link.INI", 512, 1920},
                 {"short-link.INI", 512, 1920}};
    for (const auto& c : cases) {
        const fs::path path = dir.path() / c.name;
        const Bytes before = fileBytes(path);
        RecordFile file(path);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lowered = saved;
        lowered.rlim_cur = c.limit;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &lowered) != 0) {
            std::signal(SIGXFSZ, previous);
            GTEST_SKIP() << "cannot lower the file size limit";
        }
        const std::size_t imageSize = c.size;
        const int number = errorNumber([&] { file.write(RecordImage(Bytes(imageSize, 0x11))); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        EXPECT_EQ(number, err::DiskFull) << c.name << " " << c.limit;
        EXPECT_EQ(fileBytes(path), before) << c.name << " " << c.limit;
        EXPECT_EQ(file.read(settingsRecords).bytes(),
                  Bytes(before.begin(), before.begin() + std::min<std::size_t>(before.size(), 1920)))
            << c.name;
        EXPECT_EQ(entriesIn(dir.path()), 4) << c.name << " " << c.limit;
    }
    EXPECT_EQ(fileBytes(dir.path() / "Lumora.INI"), original);
#endif
}

TEST(RecordFile, LetsGoOfEveryFileItOpensAndReportsAFailedRead)
{
#ifndef __linux__
    GTEST_SKIP() << "counts open files and reads memory through /proc, which is Linux's";
#else
    const auto openFiles = [] { return entriesIn("/proc/self/fd"); };
    test::TempDir dir;
    writeBytes(dir.path() / "real.INI", Bytes(2000, 0x5A));
    fs::create_symlink("real.INI", dir.path() / "link.INI"); // written in place
    const std::ptrdiff_t before = openFiles();
    for (int round = 0; round < 200; ++round) {
        for (const char* name : {"real.INI", "link.INI"}) {
            RecordFile file(dir.path() / name);
            RecordImage image = file.read(settingsRecords);
            image.putInteger(15, static_cast<std::int16_t>(round));
            file.write(image);
            (void)file.read(settingsRecords);
        }
    }
    EXPECT_EQ(openFiles(), before);

    // Reading memory that is not mapped fails: an error, never part of a file.
    RecordFile memory("/proc/self/mem");
    EXPECT_EQ(errorNumber([&] { (void)memory.read(settingsRecords); }), err::DeviceIoError);
#endif
}

// The file is reached through its folder, held open since the file was: a
// folder renamed meanwhile, or nested deeper than a path may be long, still
// gets the save; and what saves cut short left behind goes.
TEST(RecordFile, ASaveReachesItsFileWhereverItsFolderGoes)
{
#ifdef _WIN32
    GTEST_SKIP() << "Wine's handles keep the name a folder had when it was opened, which Windows' follow; and "
                    "Windows keeps paths short";
#else
    test::TempDir dir;
    fs::create_directory(dir.path() / "start");
    {
        RecordFile file(dir.path() / "start" / "Lumora.INI");
        std::error_code renamed;
        fs::rename(dir.path() / "start", dir.path() / "moved", renamed);
        if (renamed)
            GTEST_SKIP() << "this system renames no folder that holds an open file: " << renamed.message();
        file.write(RecordImage(Bytes{1, 0, 'x'}));
        EXPECT_EQ(fileBytes(dir.path() / "moved" / "Lumora.INI"), (Bytes{1, 0, 'x'}));
        EXPECT_EQ(file.read(settingsRecords).bytes(), (Bytes{1, 0, 'x'}));
    }
    RecordFile file(dir.path() / "moved" / "Lumora.INI");

    // Deeper than PATH_MAX: reached step by step from the current folder.
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const std::string step(200, 'd');
    for (int depth = 0; depth < 25; ++depth) {
        fs::create_directory(step);
        fs::current_path(step);
    }
    EXPECT_EQ(errorNumber([&] {
                  RecordFile deep("Lumora.INI");
                  deep.write(RecordImage(Bytes{2, 0, 'o', 'k'}));
                  EXPECT_EQ(deep.read(settingsRecords).bytes(), (Bytes{2, 0, 'o', 'k'}));
              }),
              0);
    for (int depth = 0; depth < 25; ++depth) { // too deep for a removal by path
        fs::current_path("..");
        fs::remove_all(step);
    }
    fs::current_path(before);

    // A copy whose process has gone was cut short by a kill and goes at
    // once; one of a process that runs goes once no save could take so long.
    const fs::path folder = dir.path() / "moved";
    const auto age = [&](const std::string& name, std::chrono::minutes old) {
        writeBytes(folder / name, Bytes{9});
        test::setLastWriteTime(folder / name, fs::file_time_type::clock::now() - old);
    };
    const std::string running = std::to_string(::getppid()), own = std::to_string(::getpid()), gone = "4194999";
    ASSERT_NE(::kill(4194999, 0), 0);
    age("Lumora.INI.~" + gone + ".tmp", std::chrono::minutes(0));    // goes
    age("Lumora.INI.~" + running + ".tmp", std::chrono::minutes(5)); // goes
    age("Lumora.INI.~" + running + ".tmp2", std::chrono::minutes(5));
    age("Lumora.INI.~1.tmp", std::chrono::minutes(0));           // a save still running: stays
    age("Lumora.INI.~" + own + ".tmp", std::chrono::minutes(5)); // this process's own slow save: stays
    age("Lumora.INI.~notes.tmp", std::chrono::minutes(5));       // no copy of ours: stays
    age("Other.INI.~" + gone + ".tmp", std::chrono::minutes(5)); // another file's: stays
    file.removeStaleCopies();
    EXPECT_FALSE(fs::exists(folder / ("Lumora.INI.~" + gone + ".tmp")));
    EXPECT_FALSE(fs::exists(folder / ("Lumora.INI.~" + running + ".tmp")));
    EXPECT_EQ(entriesIn(folder), 6);
#endif
}

// However the system's replacement of the file by its finished copy fails,
// here as Windows documents ReplaceFileW's outcomes (1175 changes nothing,
// 1176 leaves the file's name empty, 1177 moves the file to another name),
// the file afterwards holds its old bytes or the new, whole, under its name.
TEST(RecordFile, AReplacementThatFailsHalfWayLeavesTheOldFileOrTheNew)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    const Bytes original(1920, 0x5A), start{3, 0, 'n', 'e', 'w'};
    Bytes saved = original;
    std::copy(start.begin(), start.end(), saved.begin());
    const std::error_code failed = std::make_error_code(std::errc::io_error);
    const struct {
        const char* what;
        std::function<void()> firstTry;
        std::error_code error;
        const Bytes& after;
    } cases[] = {
        {"nothing changed: refused", [] {}, std::make_error_code(std::errc::permission_denied), saved},
        {"nothing changed: failed", [] {}, failed, original},
        {"the name left empty", [&] { fs::remove(path); }, failed, saved},
        {"moved to another name", [&] { fs::rename(path, dir.path() / "Lumora.INI~RF1.TMP"); }, failed, saved},
    };
    for (const auto& c : cases) {
        writeBytes(path, original);
        std::error_code error;
        const platform::Folder folder = platform::Folder::open(dir.path(), error);
        int tries = 0;
        platform::writeFileStart(
            folder, path.filename(), start, error,
            [&](const platform::Folder& in, const fs::path& made, const fs::path& name, std::error_code& replaceError) {
                if (tries++ > 0)
                    return platform::save::replaceWithCopy(in, made, name, replaceError);
                c.firstTry();
                replaceError = c.error;
                return false;
            });
        EXPECT_EQ(fileBytes(path), c.after) << c.what;
        EXPECT_EQ(bool(error), &c.after == &original) << c.what;
        fs::remove(dir.path() / "Lumora.INI~RF1.TMP");
        EXPECT_EQ(entriesIn(dir.path()), 1) << c.what << ": a copy was left";
    }
}

TEST(FileTable, NumbersAreHandedOutLowestFirst)
{
    test::TempDir dir;
    FileTable table;
    EXPECT_EQ(table.freeFile(), 1);
    table.open(1, dir.path() / "a");
    EXPECT_EQ(table.freeFile(), 2);
    table.open(2, dir.path() / "b");
    table.close(1);
    EXPECT_EQ(table.freeFile(), 1);
    EXPECT_EQ(table.at(2)->path(), dir.path() / "b");

    EXPECT_EQ(errorNumber([&] { table.open(2, dir.path() / "c"); }), err::FileAlreadyOpen);
    EXPECT_FALSE(fs::exists(dir.path() / "c"));
    for (const int bad : {0, 256})
        EXPECT_EQ(errorNumber([&] { table.open(bad, dir.path() / "c"); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumber([&] { (void)table.at(4); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumber([&] { table.close(4); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumber([&] { table.open(4, dir.path() / "no" / "c"); }), err::PathNotFound);
    EXPECT_EQ(table.openCount(), 1u);

    while (table.openCount() < FileTable::maxFileNumber) {
        const int number = table.freeFile();
        table.open(number, dir.path() / ("f" + std::to_string(number)));
    }
    EXPECT_EQ(errorNumber([&] { (void)table.freeFile(); }), err::TooManyFiles);
    table.close(200);
    EXPECT_EQ(table.freeFile(), 200);
}

} // namespace
} // namespace lumora
