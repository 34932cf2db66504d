#include "GatewayTestSupport.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

// The paths of the login requests in the log, in order.
std::vector<std::string> logins(const Served& served) {
    std::vector<std::string> out;
    for (const json& e : served.log())
        if (e["path"] == "/v1/challenge" || e["path"] == "/v1/attest") out.push_back(e["path"]);
    return out;
}

// Ten sends at once; all must succeed with one token between them.
std::string tenAtOnce(const Served& served, Client& client) {
    Outcome out[10];
    for (Outcome& o : out) client.start(o);
    EXPECT_TRUE(client.loop->runUntil([&] { return std::all_of(std::begin(out), std::end(out), [](auto& o) { return o.ended; }); }, 60));
    for (const Outcome& o : out) {
        EXPECT_EQ(o.status, 200);
        EXPECT_EQ(o.text(), "");
    }
    std::set<std::string> bearers;
    for (const json& e : served.logOf("/v1/messages")) bearers.insert(e["headers"]["authorization"].get<std::string>());
    EXPECT_EQ(bearers.size(), 1u);
    return bearers.empty() ? "" : *bearers.begin();
}

}  // namespace

TEST(GatewayLogin, TenSendsWithoutAttestationShareOneUnsupportedLogin) {
    Served served;
    Client client(served);
    const std::string bearer = tenAtOnce(served, client);
    EXPECT_EQ(logins(served), (std::vector<std::string>{"/v1/attest"}));
    EXPECT_EQ(served.logOf("/v1/attest")[0]["body"], (json{{"unsupported", true}}));
    EXPECT_EQ("Bearer " + client.store->read().value_or(""), bearer);
    EXPECT_EQ(client.gateway->session()->cached(), client.store->read());
}

TEST(GatewayLogin, TenSendsWithAttestationShareOneAttestedLogin) {
    Served served;
    auto attestor = std::make_shared<FakeAttestor>();
    Client client(served, attestor);
    tenAtOnce(served, client);
    EXPECT_EQ(logins(served), (std::vector<std::string>{"/v1/challenge", "/v1/attest"}));
    const json body = served.logOf("/v1/attest")[0]["body"];
    EXPECT_EQ(body["keyId"], "key-1");
    EXPECT_TRUE(body["challenge"].is_string());
    EXPECT_EQ(served.logOf("/v1/attest")[0]["status"], 200);  // the service checked the hash of its challenge
    EXPECT_EQ(attestor->keys, 1);
}

TEST(GatewayLogin, EachFailedStepOfTheProofFallsBackToTheUnsupportedLogin) {
    struct Case {
        const char* name;
        void (*arrange)(FakeAttestor&, const Served&);
        std::vector<std::string> logins;
    };
    const Case cases[] = {
        {"no attestation here", [](FakeAttestor& a, const Served&) { a.supports = false; }, {"/v1/attest"}},
        {"no key", [](FakeAttestor& a, const Served&) { a.makesKeys = false; }, {"/v1/attest"}},
        {"challenge refused", [](FakeAttestor&, const Served& s) { s.fault({{"kind", "challenge-status"}, {"status", 500}}); },
         {"/v1/challenge", "/v1/attest"}},
        {"attestation refused", [](FakeAttestor& a, const Served&) { a.attests = false; }, {"/v1/challenge", "/v1/attest"}},
    };
    for (const Case& c : cases) {
        Served served;
        auto attestor = std::make_shared<FakeAttestor>();
        c.arrange(*attestor, served);
        Client client(served, attestor);
        EXPECT_EQ(client.send().status, 200) << c.name;
        EXPECT_EQ(logins(served), c.logins) << c.name;
        EXPECT_EQ(served.last("/v1/attest")["body"], (json{{"unsupported", true}})) << c.name;
    }
}

TEST(GatewayLogin, AStoredTokenSendsNoLoginAtAll) {
    Served served;
    std::string token;
    {
        Client first(served);
        ASSERT_EQ(first.send().status, 200);
        token = first.store->read().value_or("");
    }
    Client second(served);
    second.store->write(token);
    const size_t before = logins(served).size();
    EXPECT_EQ(second.send().status, 200);
    EXPECT_EQ(logins(served).size(), before);
}

TEST(GatewayLogin, AnAllowanceRefusalAtLoginFailsEveryWaiterAndTheNextSendLogsInAgain) {
    Served served;
    served.fault({{"kind", "attest-429"}});
    Client client(served);
    Outcome a, b;
    client.start(a);
    client.start(b);
    ASSERT_TRUE(client.loop->runUntil([&] { return a.ended && b.ended; }, 30));
    for (const Outcome* o : {&a, &b}) {
        EXPECT_EQ(o->status, std::nullopt);
        EXPECT_EQ(o->kind<Gateway::Failure>(), Gateway::Failure::Kind::allowance);
        EXPECT_EQ(o->text(), "That's today's lessons. The press reopens tomorrow.");
    }
    EXPECT_EQ(client.store->read(), std::nullopt);
    EXPECT_EQ(client.send().status, 200);
    EXPECT_EQ(served.logOf("/v1/attest").size(), 2u);
}
