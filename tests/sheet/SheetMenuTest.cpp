// The context menu's items, titles and validation.
#include "sheet/SheetMenu.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {

std::vector<std::string> titles(const std::vector<SheetMenu::Item>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.action ? i.title : "-");
    return out;
}

}  // namespace

TEST(SheetMenu, TitlesHoldThePhraseUpTo28Characters) {
    const std::string p28 = "abcdefghij abcdefghij abcdef";   // 28 characters
    const std::string p29 = "abcdefghij abcdefghij abcdefg";  // 29
    ASSERT_EQ(p28.size(), 28u);
    EXPECT_EQ(SheetMenu::label(p28), p28);
    EXPECT_EQ(SheetMenu::label(p29), "abcdefghij abcdefghij abcd\u2026");
    // Characters, not bytes: 28 accented letters stand whole.
    std::string accented;
    for (int i = 0; i < 28; ++i) accented += "\u00E9";
    EXPECT_EQ(SheetMenu::label(accented), accented);

    EXPECT_EQ(titles(SheetMenu::items("entropy")),
              (std::vector<std::string>{"Ask About \u201Centropy\u201D", "Explain", "Go Deeper", "-", "Copy",
                                        "Look Up \u201Centropy\u201D", "-", "Select All"}));
    EXPECT_EQ(titles(SheetMenu::items(p29))[0], "Ask About \u201Cabcdefghij abcdefghij abcd\u2026\u201D");
    // Three words may be looked up, four may not.
    EXPECT_EQ(SheetMenu::items("one two three").size(), 8u);
    EXPECT_EQ(titles(SheetMenu::items("one two three four")),
              (std::vector<std::string>{"Ask About \u201Cone two three four\u201D", "Explain", "Go Deeper", "-", "Copy",
                                        "-", "Select All"}));
    EXPECT_EQ(titles(SheetMenu::items("")), (std::vector<std::string>{"Select All"}));
}

TEST(SheetMenu, ActionsOnTheSelectionNeedOne) {
    using A = SheetMenu::Action;
    for (A a : {A::askAbout, A::explain, A::goDeeper, A::copy, A::lookUp}) {
        EXPECT_TRUE(SheetMenu::enabled(a, true));
        EXPECT_FALSE(SheetMenu::enabled(a, false));
    }
    EXPECT_TRUE(SheetMenu::enabled(A::selectAll, false));
}
