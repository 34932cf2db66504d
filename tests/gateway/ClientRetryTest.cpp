#include "GatewayTestSupport.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

std::vector<std::string> bearers(const Served& served) {
    std::vector<std::string> out;
    for (const json& e : served.logOf("/v1/messages")) out.push_back(e["headers"]["authorization"]);
    return out;
}

}  // namespace

TEST(GatewayRetry, ARefusedTokenIsForgottenRenewedAndTheRequestSentOnceMore) {
    Served served;
    Client client(served);
    ASSERT_EQ(client.send().status, 200);
    const std::string first = client.store->read().value_or("");
    served.fault({{"kind", "revoke"}});
    Outcome out = client.send();
    EXPECT_EQ(out.status, 200);
    const std::string second = client.store->read().value_or("");
    EXPECT_NE(second, first);
    EXPECT_EQ(client.gateway->session()->cached(), second);
    EXPECT_EQ(bearers(served), (std::vector<std::string>{"Bearer " + first, "Bearer " + first, "Bearer " + second}));
    std::vector<json> messages = served.logOf("/v1/messages");
    EXPECT_EQ(messages[1]["status"], 401);
    EXPECT_EQ(served.logOf("/v1/attest").size(), 2u);
}

TEST(GatewayRetry, ASecondRefusalGoesToTheCallerWithoutAThirdTry) {
    Served served;
    Client client(served);
    served.fault({{"kind", "status"}, {"status", 401}, {"text", "no\nentry\n"}, {"times", 3}});
    Outcome out = client.send();
    EXPECT_EQ(out.status, 401);
    EXPECT_EQ(out.pieces, (std::vector<std::string>{"no", "entry"}));
    EXPECT_EQ(out.error, nullptr);
    EXPECT_EQ(served.logOf("/v1/messages").size(), 2u);
    EXPECT_EQ(served.logOf("/v1/attest").size(), 2u);  // the first login, and the renewal
}

// Two requests left with the same token; the gateway revokes it. The first refusal renews
// the token; the second arrives only after that and must not throw the new token away.
TEST(GatewayRetry, ALateRefusalNeverDiscardsTheNewerToken) {
    Served served;
    TempFolder home;
    auto manual = std::make_shared<ManualScheduler>();
    auto store = std::make_shared<TokenStore>(home.path);
    auto gateway = Gateway::make(manual, served.base(), store, Attestor::unsupported());
    auto read = [](Outcome& out) {
        Gateway::Reader r;
        r.onResponse = [&out](int status) { out.status = status; };
        r.onEnd = [&out](std::exception_ptr e) {
            out.error = e;
            out.ended = true;
        };
        return r;
    };
    Outcome warm;
    gateway->send("v1/messages", {{"messages", json::array()}}, {}, 30, read(warm));
    manual->drain();
    ASSERT_EQ(warm.status, 200);
    const std::string old = gateway->session()->cached().value_or("");

    served.fault({{"kind", "revoke"}});
    Outcome a, b;
    gateway->send("v1/messages", {{"messages", json::array()}}, {}, 30, read(a));
    gateway->send("v1/messages", {{"messages", json::array()}}, {}, 30, read(b));
    ASSERT_EQ(manual->backgroundCount(), 2u);  // [a, b]
    manual->runBackground(0);                  // a is refused
    manual->runPosted();                       // a forgets the old token and asks for a new one
    EXPECT_EQ(gateway->session()->cached(), std::nullopt);
    ASSERT_EQ(manual->backgroundCount(), 2u);  // [b, the lookup]
    manual->runBackground(1);                  // the new token is minted and stored
    manual->runPosted();
    const std::string fresh = gateway->session()->cached().value_or("");
    ASSERT_FALSE(fresh.empty());
    EXPECT_NE(fresh, old);
    EXPECT_EQ(store->read(), fresh);
    manual->runBackground(0);  // only now is b refused, with the old token
    manual->drain();
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(b.status, 200);
    EXPECT_EQ(gateway->session()->cached(), fresh);
    EXPECT_EQ(store->read(), fresh);
    EXPECT_EQ(served.logOf("/v1/attest").size(), 2u);  // no third login
    EXPECT_EQ(bearers(served), (std::vector<std::string>{"Bearer " + old, "Bearer " + old, "Bearer " + old,
                                                      "Bearer " + fresh, "Bearer " + fresh}));
}
