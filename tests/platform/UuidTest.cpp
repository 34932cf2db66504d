#include "platform/Uuid.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

using namespace nolby;

TEST(Uuid, RandomIsVersion4InUpperCase) {
    std::set<Uuid> seen;
    for (int i = 0; i < 200; ++i) {
        Uuid u = Uuid::random();
        std::string s = u.string();
        ASSERT_EQ(s.size(), 36u);
        EXPECT_EQ(s[14], '4');
        EXPECT_NE(std::string("89AB").find(s[19]), std::string::npos);
        EXPECT_EQ(s.find_first_of("abcdef"), std::string::npos);
        EXPECT_EQ(Uuid::parse(s), u);
        seen.insert(u);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(Uuid, ParseTakesOnlyTheHyphenatedForm) {
    auto ok = Uuid::parse("6b1f3c2a-0d4e-4F5A-9b8c-7D6E5F4A3B2C");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->string(), "6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2C");
    EXPECT_EQ(ok->bytes[0], 0x6B);
    EXPECT_EQ(ok->bytes[15], 0x2C);
    const char* bad[] = {
        "",
        "6B1F3C2A0D4E4F5A9B8C7D6E5F4A3B2C",
        "6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2",
        "6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2CC",
        "6B1F3C2A-0D4E-4F5A-9B8C_7D6E5F4A3B2C",
        "6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2G",
        "{B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2}",
        "6B1F3C2A--D4E-4F5A-9B8C-7D6E5F4A3B2C",
    };
    for (const char* s : bad) EXPECT_FALSE(Uuid::parse(s)) << s;
}

TEST(Uuid, ARepeatableSequenceRestartsFromItsSeed) {
    auto draw = [] {
        std::vector<Uuid> out;
        for (int i = 0; i < 50; ++i) out.push_back(Uuid::random());
        return out;
    };
    Uuid::repeatable(7);
    const std::vector<Uuid> first = draw();
    Uuid::repeatable(7);
    EXPECT_EQ(draw(), first);
    Uuid::repeatable(8);
    const std::vector<Uuid> other = draw();
    Uuid::repeatable(std::nullopt);
    const std::vector<Uuid> fresh = draw();
    EXPECT_EQ(std::set<Uuid>(first.begin(), first.end()).size(), 50u);
    EXPECT_NE(other, first);
    EXPECT_NE(fresh, first);
    EXPECT_NE(fresh, other);
    for (const auto& seq : {first, other, fresh})
        for (const Uuid& u : seq) {
            EXPECT_EQ(u.bytes[6] >> 4, 4);  // version 4
            EXPECT_EQ(u.bytes[8] >> 6, 2);  // variant 10
        }
}
