#include "tutor/TokenStore.h"

#include "platform/ConfigFolder.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace nolby;
namespace fs = std::filesystem;
using test::TempFolder;

namespace {

unsigned mode(const fs::path& p) {
    struct stat st{};
    ::stat(p.c_str(), &st);
    return st.st_mode & 0777;
}

}  // namespace

TEST(TokenStore, KeepsTheTokenInAPrivateFileOfTheConfigFolder) {
    TempFolder home;
    TokenStore store(home.path / "nolby");
    EXPECT_EQ(store.file(), home.path / "nolby" / "press.nolby.session" / "session");
    EXPECT_EQ(store.read(), std::nullopt);
    ASSERT_TRUE(store.write("token-1"));
    EXPECT_EQ(store.read(), "token-1");
    EXPECT_EQ(mode(store.file()), 0600u);
    EXPECT_EQ(mode(store.file().parent_path()), 0700u);
    EXPECT_EQ(mode(store.file().parent_path().parent_path()), 0700u);
    ASSERT_TRUE(store.write("token-2"));
    EXPECT_EQ(store.read(), "token-2");
    // Nothing but the token file is left beside it: each write was a rename.
    EXPECT_EQ(std::distance(fs::directory_iterator(store.file().parent_path()), fs::directory_iterator()), 1);
}

TEST(TokenStore, ALateRefusalNeverErasesANewerToken) {
    TempFolder home;
    TokenStore store(home.path);
    store.write("new");
    EXPECT_FALSE(store.eraseIf("old"));
    EXPECT_EQ(store.read(), "new");
    EXPECT_TRUE(store.eraseIf("new"));
    EXPECT_EQ(store.read(), std::nullopt);
}

TEST(TokenStore, BytesThatAreNotUtf8ReadAsNoToken) {
    TempFolder home;
    TokenStore store(home.path);
    store.write("x");
    std::ofstream(store.file(), std::ios::binary) << "tok\xff\xfe";
    EXPECT_EQ(store.read(), std::nullopt);
    std::ofstream(store.file(), std::ios::binary | std::ios::trunc);
    EXPECT_EQ(store.read(), std::nullopt);  // empty
    store.write("mended");
    EXPECT_EQ(store.read(), "mended");
}

TEST(ConfigFolder, FollowsXdgConfigHomeElseTheHomeFolder) {
    EXPECT_EQ(Platform::configFolder(std::string("/x/cfg"), std::string("/home/a")), fs::path("/x/cfg/nolby"));
    EXPECT_EQ(Platform::configFolder(std::string("relative"), std::string("/home/a")), fs::path("/home/a/.config/nolby"));
    EXPECT_EQ(Platform::configFolder(std::nullopt, std::string("/home/a")), fs::path("/home/a/.config/nolby"));
}
