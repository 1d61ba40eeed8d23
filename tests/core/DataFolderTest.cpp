#include <tuple>

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/platform/DataFolder.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

TEST(DataFolder, IsChosenFromTheEnvironmentAsTheXdgRulesSay)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Start menu starts Lumora in its own folder on Windows";
#else
    const std::tuple<const char*, const char*, const char*> table[] = {
        {"/data", "/home/p", "/data/lumora"},
        {"", "/home/p", "/home/p/.local/share/lumora"},
        {"data", "/home/p", "/home/p/.local/share/lumora"},
        {nullptr, "/home/p", "/home/p/.local/share/lumora"},
        {nullptr, "home/p", ""}};
    for (const auto& [xdgDataHome, home, folder] : table)
        EXPECT_EQ(platform::dataFolderFor(xdgDataHome, home), fs::path(folder))
            << (xdgDataHome ? xdgDataHome : "unset") << ", " << home;
#endif
}

TEST(DataFolder, IsMadeForTheUserAndTakesACopyOfTheOldSettingsOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Start menu starts Lumora in its own folder on Windows";
#else
    const test::TempDir temp;
    const fs::path home = temp.path() / "home", folder = home / ".local/share/lumora";
    fs::create_directory(home);
    std::error_code error;
    platform::makeDataFolder(folder, error);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    for (const test::Bytes& old : {test::Bytes{1, 2, 3}, test::Bytes{4}}) {
        test::writeBytes(home / "Lumora.INI", old);
        platform::copyOldSettings(folder, home / "Lumora.INI", error);
        EXPECT_FALSE(error) << error.message();
        EXPECT_EQ(test::fileBytes(folder / "Lumora.INI"), (test::Bytes{1, 2, 3}));
        EXPECT_EQ(test::fileBytes(home / "Lumora.INI"), old);
    }
    // A folder, or nothing at all, where the old file would be.
    for (const fs::path& old : {home, temp.path() / "missing"}) {
        platform::copyOldSettings(temp.path(), old, error);
        EXPECT_FALSE(error) << error.message();
        EXPECT_FALSE(fs::exists(temp.path() / "Lumora.INI"));
    }
#endif
}

} // namespace
} // namespace lumora
