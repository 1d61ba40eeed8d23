#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/DirectoryListing.h"
#include "core/PathRules.h"

namespace lumora {
namespace {

using test::listFiles;
using test::listSubdirectories;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::errorNumber;

void touch(const fs::path& path) { std::ofstream(path).put('x'); }

class DirectoryListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string name :
             {"b.zip", "A.ZIP", "c.txt", "README", ".hidden.zip", "a.zip", "\xC3\xA9t\xC3\xA9.zip", "dir.zip.bak"})
            touch(dir.path() / fs::path(std::u8string(name.begin(), name.end())));
        for (const char* name : {"Sub", "alpha", ".git", "folder.zip"})
            fs::create_directory(dir.path() / name);
#ifdef _WIN32
        // Hidden the Windows way; the dot alone hides nothing there.
        for (const char* name : {".hidden.zip", ".git"})
            test::setHiddenAttribute(dir.path() / name);
#endif
    }
    test::TempDir dir;
};

TEST_F(DirectoryListing, SortedWithoutHiddenEntries)
{
#ifdef _WIN32
    // Names ignore case there: a.zip was A.ZIP opened once more.
    EXPECT_EQ(listFiles(dir.text(), "*.zip"), (Names{"A.ZIP", "b.zip", "\xC3\xA9t\xC3\xA9.zip"}));
    EXPECT_EQ(listFiles(dir.text(), "*.*"),
              (Names{"A.ZIP", "b.zip", "c.txt", "dir.zip.bak", "README", "\xC3\xA9t\xC3\xA9.zip"}));
#else
    EXPECT_EQ(listFiles(dir.text(), "*.zip"), (Names{"A.ZIP", "a.zip", "b.zip", "\xC3\xA9t\xC3\xA9.zip"}));
    EXPECT_EQ(listFiles(dir.text(), "*.*"),
              (Names{"A.ZIP", "a.zip", "b.zip", "c.txt", "dir.zip.bak", "README", "\xC3\xA9t\xC3\xA9.zip"}));
#endif
    EXPECT_EQ(listFiles(dir.text(), "?.TXT"), (Names{"c.txt"}));
    EXPECT_EQ(listSubdirectories(dir.text()), (Names{"alpha", "folder.zip", "Sub"}));
    EXPECT_EQ(listSubdirectories((dir.path() / "Sub").string()), Names{});
}

TEST_F(DirectoryListing, UnreadablePathsRaisePathNotFound)
{
    for (const std::string& path :
         {(dir.path() / "missing").string(), (dir.path() / "b.zip").string(), std::string()}) {
        EXPECT_EQ(errorNumber([&] { (void)listFiles(path, "*.*"); }), err::PathNotFound) << path;
        EXPECT_EQ(errorNumber([&] { (void)listSubdirectories(path); }), err::PathNotFound) << path;
    }
}

TEST_F(DirectoryListing, LinksCountAsWhatTheyPointTo)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows, and MinGW's std::filesystem makes none";
#else
    fs::create_directory_symlink(dir.path() / "Sub", dir.path() / "linked");
    fs::create_symlink(dir.path() / "b.zip", dir.path() / "link.zip");
    EXPECT_EQ(listSubdirectories(dir.text()), (Names{"alpha", "folder.zip", "linked", "Sub"}));
    EXPECT_EQ(listFiles(dir.text(), "l*"), (Names{"link.zip"}));
#endif
}

TEST_F(DirectoryListing, LockedDirectoryRaisesAccessError)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder is locked by its access control list there, which std::filesystem cannot set";
#else
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir.path() / "alpha", fs::perms::none);
    EXPECT_EQ(test::asOrdinaryUser([&] {
                  const int number = errorNumber([&] { (void)listFiles((dir.path() / "alpha").string(), "*.*"); });
                  return number == err::PathFileAccessError ? "" : "error " + std::to_string(number);
              }),
              "");
    fs::permissions(dir.path() / "alpha", fs::perms::owner_all);
#endif
}

} // namespace
} // namespace lumora

namespace lumora {
namespace {

// Every read of a folder is a fresh one, so that a swapped medium or a folder
// whose time never changes cannot show an old listing; those asked for
// during the start-up begin once it is over.
TEST(FolderReads, EveryReadIsFreshAndTheStartUpsBeginAfterIt)
{
    test::TempDir dir;
    touch(dir.path() / "b.zip");
    fs::create_directory(dir.path() / "sub");
    std::atomic<int> reads{0};
    FolderReads folders([&](const std::string& directory) {
        ++reads;
        return readDirectory(directory);
    });
    const auto read = [&](const std::shared_ptr<FolderReads::Read>& pending) {
        EXPECT_TRUE(pending->wait(std::chrono::seconds(10)));
        return pending->outcome().get();
    };

    const auto early = folders.start(dir.text());
    EXPECT_FALSE(early->wait(std::chrono::milliseconds(50)));
    EXPECT_EQ(reads, 0);
    folders.startUpOver();
    const auto first = read(early);
    EXPECT_EQ(first->files, Names{"b.zip"});
    EXPECT_EQ(first->subdirectories, Names{"sub"});
    EXPECT_EQ(matchingFiles(*first, "*.txt"), std::vector<std::uint32_t>{});
    EXPECT_EQ(matchingFiles(*first, "B.*"), std::vector<std::uint32_t>{0});

    touch(dir.path() / "a.ZIP"); // the folder's time may well not change
    const auto later = read(folders.start(dir.text()));
    EXPECT_EQ(later->files, (Names{"a.ZIP", "b.zip"}));
    EXPECT_TRUE(later->newerThan(*first));
    EXPECT_EQ(reads, 2);

    fs::remove_all(dir.path());
    EXPECT_EQ(errorNumber([&] { read(folders.start(dir.text())); }), err::PathNotFound);
}

TEST(ListOrder, SortingOnTwoCoresKeepsIt)
{
    // Awkward names, and enough of them that two cores share the sort.
    const char* const forms[] = {
        "GAME%05d.ZIP", "game%05d.zip", "Caf\xC3\xA9 %d", "caf\xC3\xA9 %d", "\xC3\x89t\xC3\xA9%d",
        "Caf\xE9%d",    "%d",           "Zeta%d",         "\xCE\xA9mega%d", "a b %d"};
    std::vector<std::string> names;
    char name[64];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(name, sizeof name, forms[i % 10], i / 10);
        names.emplace_back(name);
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return listOrderLess(a, b); });
    sortInListOrder(names);
    EXPECT_EQ(names, expected);
}

} // namespace
} // namespace lumora
