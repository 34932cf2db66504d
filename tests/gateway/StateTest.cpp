// The gateway's state, the same cases for every store: in memory, in a SQLite file and in a
// Redis server of the test's own. `open()` gives another gateway's view of the same state
// (the same object, another connection to the file, another client of the server).
#include "Allowance.h"
#include "GatewayState.h"
#include "RedisProcess.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>

using namespace nolby;
using namespace nolby::service;

namespace {

// Noon of day 20500 (2026-02-15), in seconds since 1970.
constexpr int64_t kDay = 20500;
constexpr int64_t kNoon = kDay * 86400 + 43200;

class GatewayStateStores : public ::testing::TestWithParam<std::string> {
protected:
    std::shared_ptr<GatewayState> open() {
        const std::string& store = GetParam();
        if (store == "memory") {
            if (!memory_) memory_ = memoryState();
            return memory_;
        }
        if (store == "sqlite") return sqliteState(folder_.path / "state" / "state.sqlite");
        if (!redis_) redis_ = std::make_unique<nolby::testing::RedisProcess>();
        if (!redis_->running()) throw std::runtime_error(redis_->why);
        return redisState(redis_->url(3));
    }

private:
    test::TempFolder folder_;
    std::shared_ptr<GatewayState> memory_;
    std::unique_ptr<nolby::testing::RedisProcess> redis_;
};

}  // namespace

TEST_P(GatewayStateStores, AChallengeIsUsedOnceByAnyGatewayBeforeItExpires) {
    auto one = open(), two = open();
    one->issueChallenge("c1", kNoon, 300);
    one->issueChallenge("c2", kNoon, 300);
    EXPECT_TRUE(two->useChallenge("c1", kNoon + 299));
    EXPECT_FALSE(one->useChallenge("c1", kNoon + 1));  // used
    EXPECT_FALSE(two->useChallenge("never issued", kNoon));
    EXPECT_FALSE(one->useChallenge("c2", kNoon + 300));  // expired
    EXPECT_FALSE(two->useChallenge("c2", kNoon));       // and gone
}

TEST_P(GatewayStateStores, HeldLessonsCountUntilChargedOrGivenBackOnEveryGateway) {
    auto state = open();
    Allowance allowance(state, 2), elsewhere(open(), 2);
    auto first = allowance.hold("a", kDay, kNoon);
    auto second = elsewhere.hold("a", kDay, kNoon);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(allowance.hold("a", kDay, kNoon));  // two asked at once use up the day
    EXPECT_FALSE(elsewhere.hold("a", kDay, kNoon));
    EXPECT_TRUE(allowance.hold("b", kDay, kNoon));  // another installation has its own
    second.reset();                                 // never streamed: given back
    auto third = allowance.hold("a", kDay, kNoon);
    ASSERT_TRUE(third);
    first->charge();
    third->charge();
    third->charge();  // once only
    first.reset();
    third.reset();
    EXPECT_FALSE(elsewhere.hold("a", kDay, kNoon));
    EXPECT_TRUE(elsewhere.hold("a", kDay + 1, kNoon + 86400));  // a new day
    EXPECT_TRUE(Allowance(state, std::nullopt).hold("c", kDay, kNoon));
    EXPECT_FALSE(Allowance(state, 0).hold("d", kDay, kNoon));
    EXPECT_TRUE(Allowance(state, 1).hold("d", kDay, kNoon));  // a refusal took nothing
}

TEST_P(GatewayStateStores, LessonsTakenAtOnceOnTwoGatewaysNeverPassTheLimit) {
    std::shared_ptr<GatewayState> gateways[] = {open(), open()};
    constexpr int kThreads = 8, kTries = 40, kLimit = 100;
    std::atomic<int> taken{0};
    std::latch ready(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ready.arrive_and_wait();
            for (int i = 0; i < kTries; ++i)
                if (gateways[t % 2]->takeLesson("a", kDay, kLimit, kNoon)) ++taken;
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(taken, kLimit);
    gateways[0]->giveBackLesson("a", kDay);
    EXPECT_TRUE(gateways[1]->takeLesson("a", kDay, kLimit, kNoon));
    EXPECT_FALSE(gateways[0]->takeLesson("a", kDay, kLimit, kNoon));
}

TEST_P(GatewayStateStores, RevokedTokensAreRefusedByEveryGatewayUntilTheyExpire) {
    auto one = open(), two = open();
    EXPECT_EQ(one->epoch(), 0);
    EXPECT_TRUE(two->accepts("a", 0, kNoon));
    one->revoke("a", kNoon, kNoon + 100);
    one->revoke("a", kNoon, kNoon + 50);  // a shorter revocation does not shorten it
    EXPECT_FALSE(two->accepts("a", 0, kNoon + 99));
    EXPECT_TRUE(two->accepts("a", 0, kNoon + 100));  // its tokens have expired by then
    EXPECT_TRUE(two->accepts("b", 0, kNoon));
    two->revokeAll();
    EXPECT_EQ(one->epoch(), 1);
    EXPECT_FALSE(one->accepts("b", 0, kNoon));
    EXPECT_TRUE(one->accepts("b", 1, kNoon));  // minted since
}

INSTANTIATE_TEST_SUITE_P(, GatewayStateStores, ::testing::Values("memory", "sqlite", "redis"),
                         [](const auto& info) { return info.param; });
