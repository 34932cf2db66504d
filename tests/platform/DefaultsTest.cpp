#include "platform/Defaults.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace nolby {
namespace {

TEST(Defaults, ValuesSurviveInAPrivateFileAndBadOnesReadAsAbsent) {
    test::TempFolder folder;
    const auto file = folder.path / "config" / "defaults.json";
    {
        Defaults d(file);
        EXPECT_FALSE(d.number("spend"));
        EXPECT_TRUE(d.set("spend", 0.0149));
        EXPECT_TRUE(d.set("turns", int64_t(3)));
        EXPECT_TRUE(d.set("about", std::string("Likes maps.")));
        EXPECT_FALSE(d.set("bad", std::numeric_limits<double>::infinity()));
    }
    Defaults d(file);
    EXPECT_EQ(d.number("spend"), 0.0149);
    EXPECT_EQ(d.integer("turns"), 3);
    EXPECT_EQ(d.string("about"), "Likes maps.");
    EXPECT_FALSE(d.string("turns"));
    EXPECT_FALSE(d.number("about"));
    EXPECT_FALSE(d.number("bad"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(d.remove("about"));
    EXPECT_FALSE(Defaults(file).string("about"));
}

TEST(Defaults, AFileThatIsNotAnObjectCountsAsEmpty) {
    test::TempFolder folder;
    for (const char* text : {"[1, 2]", "{\"a\": ", "", "\"text\""}) {
        std::ofstream(folder.path / "defaults.json") << text;
        Defaults d(folder.path / "defaults.json");
        EXPECT_FALSE(d.number("a")) << text;
        EXPECT_TRUE(d.set("a", 1.5));
        EXPECT_EQ(Defaults(folder.path / "defaults.json").number("a"), 1.5);
    }
}

}  // namespace
}  // namespace nolby
