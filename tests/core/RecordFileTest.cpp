#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "CoreTestSupport.h"
#include "core/RecordFile.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using test::errorNumberOf;

Bytes fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::ptrdiff_t entriesIn(const fs::path& directory)
{
    return std::distance(fs::directory_iterator(directory), fs::directory_iterator());
}

TEST(RecordFile, OpenCreatesMissingFileAndLeavesExistingOne)
{
    test::TempDir dir;
    const fs::path fresh = dir.path() / "Lumora.INI";
    EXPECT_TRUE(RecordFile(fresh).read().bytes().empty());
    EXPECT_EQ(fs::file_size(fresh), 0u);

    const fs::path existing = dir.path() / "old.INI";
    const Bytes original = {3, 0, 'a', 'b', 'c', 9};
    writeBytes(existing, original);
    RecordFile file(existing);
    EXPECT_EQ(fileBytes(existing), original);
    EXPECT_EQ(file.read().bytes(), original);

    EXPECT_EQ(errorNumberOf([&] { RecordFile f(dir.path() / "absent" / "x"); }), err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { RecordFile f(dir.path()); }), err::PathFileAccessError);
}

TEST(RecordFile, WriteReplacesWholeContent)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    writeBytes(path, Bytes(3000, 0xAA));
    RecordFile file(path);
    RecordImage image;
    image.putString(2, "new");
    file.write(image);
    EXPECT_EQ(fileBytes(path), image.bytes());
    EXPECT_EQ(file.read().bytes(), image.bytes());

    fs::remove(path); // deleted behind our back: written anew
    file.write(RecordImage(Bytes{1, 2}));
    EXPECT_EQ(fileBytes(path), (Bytes{1, 2}));
    EXPECT_EQ(entriesIn(dir.path()), 1) << "no temporary file may stay behind";
}

TEST(RecordFile, WriteIntoVanishedDirectoryRaises)
{
    test::TempDir dir;
    fs::create_directory(dir.path() / "gone");
    RecordFile file(dir.path() / "gone" / "Lumora.INI");
    fs::remove_all(dir.path() / "gone");
    EXPECT_EQ(errorNumberOf([&] { file.write(RecordImage(Bytes{1})); }), err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { (void)file.read(); }), 0);
}

#ifndef _WIN32
TEST(RecordFile, ReadOnlyFileRefusesWrite)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    writeBytes(path, Bytes{1, 0, 'k'});
    RecordFile file(path);
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(errorNumberOf([&] { file.write(RecordImage(Bytes{2, 0})); }), err::PermissionDenied);
    EXPECT_EQ(fileBytes(path), (Bytes{1, 0, 'k'}));
    EXPECT_EQ(entriesIn(dir.path()), 1);
    EXPECT_EQ(errorNumberOf([&] { RecordFile again(path); }), err::PathFileAccessError);
}

TEST(RecordFile, FailedWriteLeavesOldContentWhole)
{
    test::TempDir dir;
    const fs::path path = dir.path() / "Lumora.INI";
    const Bytes original(1920, 0x5A);
    writeBytes(path, original);
    RecordFile file(path);

    // A file size limit binds even the superuser, so the write fails for
    // sure; it is lifted again before any assertion writes a log.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = rlim_t{64} * 1024;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &lowered) != 0) {
        std::signal(SIGXFSZ, previous);
        GTEST_SKIP() << "cannot lower the file size limit";
    }
    const int number = errorNumberOf([&] { file.write(RecordImage(Bytes(std::size_t{256} * 1024, 0x11))); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(number, err::DiskFull);
    EXPECT_EQ(fileBytes(path), original);
    EXPECT_EQ(file.read().bytes(), original);
    EXPECT_EQ(entriesIn(dir.path()), 1);
}
#endif

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
    EXPECT_EQ(table.at(2).path(), dir.path() / "b");

    EXPECT_EQ(errorNumberOf([&] { table.open(2, dir.path() / "c"); }), err::FileAlreadyOpen);
    EXPECT_FALSE(fs::exists(dir.path() / "c"));
    for (const int bad : {0, 256})
        EXPECT_EQ(errorNumberOf([&] { table.open(bad, dir.path() / "c"); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumberOf([&] { (void)table.at(4); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumberOf([&] { table.close(4); }), err::BadFileNameOrNumber);
    EXPECT_EQ(errorNumberOf([&] { table.open(4, dir.path() / "no" / "c"); }), err::PathNotFound);
    EXPECT_EQ(table.openCount(), 1u);

    for (int number = 1; number <= FileTable::maxFileNumber; ++number)
        if (!table.isOpen(number))
            table.open(number, dir.path() / ("f" + std::to_string(number)));
    EXPECT_EQ(errorNumberOf([&] { (void)table.freeFile(); }), err::TooManyFiles);
    table.close(200);
    EXPECT_EQ(table.freeFile(), 200);
}

} // namespace
} // namespace lumora
