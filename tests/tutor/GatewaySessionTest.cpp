// The session token's bookkeeping, staged exactly with a manual scheduler. The gateway
// address is a closed loopback port: a login attempt fails at once, and nothing leaves the
// machine.
#include "tutor/Claude.h"
#include "tutor/Gateway.h"
#include "tutor/Painter.h"

#include "../TempFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using namespace nolby;

namespace {

struct Staged {
    test::TempFolder folder;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<TokenStore> store = std::make_shared<TokenStore>(folder.path);
    std::shared_ptr<Gateway::Session> session =
        std::make_shared<Gateway::Session>(scheduler, "http://127.0.0.1:1/", store, Attestor::unsupported());
};

struct Got {
    std::optional<std::string> token;
    std::string error;
    int calls = 0;
};

Gateway::Session::Ready into(Got& got) {
    return [&got](std::optional<std::string> token, std::exception_ptr error) {
        ++got.calls;
        got.token = token;
        if (error) try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                got.error = e.what();
            }
    };
}

}  // namespace

TEST(GatewaySession, CallersShareOneLookupAndAStoredTokenNeedsNoLogin) {
    Staged s;
    s.store->write("stored");
    Got got[10];
    for (Got& g : got) s.session->token(into(g));
    EXPECT_EQ(s.scheduler->backgroundCount(), 1u);  // one lookup for all ten; nothing blocked the caller
    s.scheduler->drain();
    for (const Got& g : got) {
        EXPECT_EQ(g.calls, 1);
        EXPECT_EQ(g.token, "stored");
    }
    EXPECT_EQ(s.session->cached(), "stored");
    // In memory now: handed over at once, with no job at all.
    Got again;
    s.session->token(into(again));
    EXPECT_EQ(again.token, "stored");
    EXPECT_EQ(s.scheduler->backgroundCount(), 0u);
}

TEST(GatewaySession, AFailedMintFailsEveryWaiterAndTheNextCallMintsAgain) {
    Staged s;
    Got a, b;
    s.session->token(into(a));
    s.session->token(into(b));
    s.scheduler->drain();
    for (const Got* g : {&a, &b}) {
        EXPECT_EQ(g->token, std::nullopt);
        EXPECT_EQ(g->error, "Couldn't reach the press. Check your connection and try again.");
    }
    EXPECT_EQ(s.session->cached(), std::nullopt);
    Got c;
    s.session->token(into(c));
    EXPECT_EQ(s.scheduler->backgroundCount(), 1u);
    s.scheduler->drain();
    EXPECT_EQ(c.calls, 1);
    EXPECT_FALSE(c.error.empty());
}

TEST(GatewaySession, ForgettingDropsOnlyTheRefusedTokenAndItNeverComesBackFromTheStore) {
    Staged s;
    s.store->write("old");
    Got first;
    s.session->token(into(first));
    s.scheduler->drain();
    ASSERT_EQ(s.session->cached(), "old");
    s.session->forget("other");  // a refusal of some older token changes nothing
    EXPECT_EQ(s.session->cached(), "old");
    s.session->forget("old");
    EXPECT_EQ(s.session->cached(), std::nullopt);
    EXPECT_EQ(s.store->read(), "old");  // still there until the next lookup
    Got next;
    s.session->token(into(next));
    s.scheduler->drain();
    EXPECT_EQ(s.store->read(), std::nullopt);  // erased before the lookup read the store
    EXPECT_EQ(next.token, std::nullopt);       // so it tried to mint (and the closed port refused)
}

// What the caller's callbacks hold (their owner, say) must not outlive the gateway when a
// request waits for a token that never comes: for a bare request, a painting and a reply stream.
TEST(GatewaySession, ARequestWaitingForItsTokenGoesWithItsGateway) {
    using Start = std::function<std::shared_ptr<Gateway::Call>(Gateway&, std::shared_ptr<int> owner)>;
    const std::pair<const char*, Start> callers[] = {
        {"send",
         [](Gateway& g, std::shared_ptr<int> owner) {
             Gateway::Reader reader;
             reader.onEnd = [owner](std::exception_ptr) {};
             return g.send("v1/messages", nlohmann::json::object(), {}, 60, std::move(reader));
         }},
        {"painter",
         [](Gateway& g, std::shared_ptr<int> owner) {
             return Painter::fromPress(g, "cover", "a fox", "3:4", std::nullopt, [owner](auto) {});
         }},
        {"stream",
         [](Gateway& g, std::shared_ptr<int> owner) {
             Claude::Handlers handlers;
             handlers.onEnd = [owner](auto, auto) {};
             return Claude::stream(g, nullptr, nullptr, {}, std::move(handlers));
         }},
    };
    for (const auto& [name, start] : callers) {
        SCOPED_TRACE(name);
        Staged s;
        auto gateway = std::make_shared<Gateway>(s.scheduler, Gateway::Address::fixed("http://127.0.0.1:1/"), s.session);
        auto owner = std::make_shared<int>(0);
        std::weak_ptr<int> watched = owner;
        std::weak_ptr<Gateway::Call> call = start(*gateway, std::move(owner));
        EXPECT_FALSE(watched.expired());  // dropping the handle does not stop the call
        // The token's lookup never answers; the program lets go of its gateway.
        s.session.reset();
        gateway.reset();
        EXPECT_TRUE(call.expired());
        EXPECT_TRUE(watched.expired());
        // The lookup's late answer finds nobody.
        s.scheduler->drain();
    }
}

TEST(GatewaySession, NoOneWaitsForATokenThatCanNeverCome) {
    test::TempFolder folder;
    auto scheduler = std::make_shared<ManualScheduler>();
    auto session = std::make_shared<Gateway::Session>(scheduler, "http://127.0.0.1:1/",
                                                      std::make_shared<TokenStore>(folder.path), Attestor::unsupported());
    auto owner = std::make_shared<int>(0);
    std::weak_ptr<int> watched = owner;
    scheduler.reset();  // the program is closing
    session->token([owner](std::optional<std::string>, std::exception_ptr) {});
    owner.reset();
    EXPECT_TRUE(watched.expired());
}
