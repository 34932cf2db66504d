#include "platform/Observed.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nolby;

namespace {
// Equal by key alone, like a notebook compared by id and date.
struct Keyed {
    int key = 0;
    std::string payload;
    bool operator==(const Keyed& o) const { return key == o.key; }
};
}  // namespace

TEST(Observed, EqualValuesAreStoredSilentlyButModifyAlwaysNotifies) {
    Observed<Keyed> value(Keyed{1, "a"});
    int calls = 0;
    Subscription sub = value.observe([&] { ++calls; });
    value.set(Keyed{1, "b"});
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(value->payload, "b");  // equal: stored, nobody told
    value.set(Keyed{2, "c"});
    EXPECT_EQ(calls, 1);
    value.modify([](Keyed& k) { k.payload = "d"; });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(value.get().payload, "d");
}

TEST(Observed, EndedSubscriptionsStopAndObserversMayUnsubscribeWhileCalled) {
    Observed<int> value;
    std::vector<int> seen;
    Subscription second;
    Subscription first = value.observe([&] {
        seen.push_back(1);
        second.reset();
    });
    second = value.observe([&] { seen.push_back(2); });
    value.set(5);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    first.reset();
    value.set(6);
    EXPECT_EQ(seen, (std::vector<int>{1}));
}
