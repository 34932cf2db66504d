#include "Allowance.h"

#include <gtest/gtest.h>

using nolby::service::Allowance;

TEST(GatewayAllowance, HeldLessonsCountUntilChargedOrGivenBack) {
    Allowance allowance(2);
    auto first = allowance.hold("a", 100);
    auto second = allowance.hold("a", 100);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(allowance.hold("a", 100));  // two asked at once use up the day
    EXPECT_TRUE(allowance.hold("b", 100));   // another token has its own
    second.reset();                          // never streamed: given back
    auto third = allowance.hold("a", 100);
    ASSERT_TRUE(third);
    first->charge();
    third->charge();
    third->charge();  // once only
    first.reset();
    third.reset();
    EXPECT_FALSE(allowance.hold("a", 100));
    EXPECT_TRUE(allowance.hold("a", 101));  // a new day
    EXPECT_TRUE(Allowance(std::nullopt).hold("a", 100));
    EXPECT_FALSE(Allowance(0).hold("a", 100));
}
