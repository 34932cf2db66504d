// The app's own gateway: looked for at the usual address, else started beside the program on a
// free loopback port, started again once it has ended, stopped with its owner; the model's
// key goes to it alone. Real processes: the build's nolby-gateway and small scripts.

#include "GatewayTestSupport.h"
#include "platform/ChildProcess.h"
#include "support/Processes.h"
#include "tutor/LocalGateway.h"

#include <csignal>
#include <fstream>
#include <thread>

using namespace nolby;
using namespace nolby::testing;
using namespace nolby::test;

namespace {

namespace fs = std::filesystem;

LocalGateway::Options options(std::string usual, fs::path program = LocalGateway::beside()) {
    LocalGateway::Options o;
    o.usual = std::move(usual);
    o.program = std::move(program);
    return o;
}

// Sends to a path the gateway does not serve: the reply's status shows it was reached.
Outcome reach(const std::shared_ptr<Gateway::Address>& address) {
    Client client(address);
    return client.send("v1/nowhere", {{"x", 1}}, {}, 30, false);
}

// The model's address for a gateway given a key in these tests: nothing ever leaves the machine.
struct NoUpstream {
    NoUpstream() { ::setenv("NOLBY_UPSTREAM", unusedBase().c_str(), 1); }
    ~NoUpstream() { ::unsetenv("NOLBY_UPSTREAM"); }
};

}  // namespace

TEST(LocalGateway, StartsItsOwnWhenNoneAnswersWithTheKeyAndStopsIt) {
    NoUpstream noUpstream;
    const std::string usual = unusedBase();
    LocalGateway::Options o = options(usual);
    o.apiKey = "sk-test-only-for-the-gateway";
    auto local = std::make_shared<LocalGateway>(o);
    EXPECT_EQ(local->known(), std::nullopt);  // nothing is looked for or started before a request
    EXPECT_EQ(local->child(), std::nullopt);

    EXPECT_EQ(reach(local).status, 404);
    const std::optional<int> pid = local->child();
    ASSERT_TRUE(pid);
    EXPECT_TRUE(alive(*pid));
    const std::optional<std::string> base = local->known();
    ASSERT_TRUE(base);
    EXPECT_NE(*base, usual);
    EXPECT_EQ(base->rfind("http://127.0.0.1:", 0), 0u) << *base;
    EXPECT_EQ(local->resolve(), *base);  // the same one for every later request
    EXPECT_NE(environmentOf(*pid).find("\nANTHROPIC_API_KEY=sk-test-only-for-the-gateway\n"), std::string::npos);

    local->stop();
    EXPECT_TRUE(waitGone(*pid));
    EXPECT_EQ(local->child(), std::nullopt);
    EXPECT_EQ(local->resolve(), usual);  // stopped: nothing is started again
}

TEST(LocalGateway, AGatewayAnsweringAtTheUsualAddressIsUsedAsItIs) {
    Served served;
    auto local = std::make_shared<LocalGateway>(options(served.base()));
    EXPECT_EQ(reach(local).status, 404);
    EXPECT_FALSE(served.logOf("/v1/attest").empty());  // logged in there
    EXPECT_EQ(local->child(), std::nullopt);
    EXPECT_EQ(local->resolve(), served.base());
}

TEST(LocalGateway, OneThatEndedIsStartedAgainAtTheNextRequest) {
    auto local = std::make_shared<LocalGateway>(options(unusedBase()));
    EXPECT_EQ(reach(local).status, 404);
    const std::optional<int> first = local->child();
    ASSERT_TRUE(first);
    ::kill(*first, SIGKILL);
    for (int i = 0; i < 1000 && local->known(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(local->known(), std::nullopt);
    EXPECT_EQ(reach(local).status, 404);
    const std::optional<int> second = local->child();
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
}

// A gateway that cannot start, ends at once, says something other than its address or says
// nothing in time: the request fails as an unreachable gateway does and nothing is left running.
TEST(LocalGateway, AStartThatFailsEndsAsAnUnreachableGatewayAndLeavesNothingRunning) {
    test::TempFolder folder;
    struct Case {
        const char* name;
        const char* script;  // none: no program at all
    };
    const Case cases[] = {
        {"missing", nullptr},
        {"ends", "exit 3"},
        {"babbles", "echo $$ > \"$0.pid\"; echo 'listening soon'; exec sleep 60"},
        {"silent", "echo $$ > \"$0.pid\"; exec sleep 60"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path program = folder.path / c.name;
        if (c.script) {
            std::ofstream(program) << "#!/bin/sh\n" << c.script << "\n";
            fs::permissions(program, fs::perms::owner_all);
        }
        const std::string usual = unusedBase();
        LocalGateway::Options o = options(usual, program);
        o.startMs = 500;
        auto local = std::make_shared<LocalGateway>(o);
        const Outcome out = reach(local);
        ASSERT_TRUE(out.error);
        try {
            std::rethrow_exception(out.error);
        } catch (const Gateway::Failure& failure) {  // the login, first, finds nobody
            EXPECT_EQ(failure.kind(), Gateway::Failure::Kind::unreachable);
        } catch (...) {
            ADD_FAILURE() << "another failure";
        }
        EXPECT_EQ(local->child(), std::nullopt);
        EXPECT_EQ(local->resolve(), usual);
        const fs::path pidFile = program.string() + ".pid";
        if (fs::exists(pidFile)) {
            EXPECT_TRUE(waitGone(std::stoi(readWhole(pidFile))));
        }
    }
}

TEST(LocalGateway, StoppingEndsAStartStillWaitingForItsAddress) {
    test::TempFolder folder;
    const fs::path program = folder.path / "slow";
    std::ofstream(program) << "#!/bin/sh\necho $$ > \"$0.pid\"; exec sleep 60\n";
    fs::permissions(program, fs::perms::owner_all);
    const std::string usual = unusedBase();
    LocalGateway::Options o = options(usual, program);
    o.startMs = 120000;
    LocalGateway local(o);
    std::string got;
    std::thread request([&] { got = local.resolve(); });
    const fs::path pidFile = folder.path / "slow.pid";
    for (int i = 0; i < 1000 && readWhole(pidFile).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(readWhole(pidFile).empty());
    local.stop();
    request.join();
    EXPECT_EQ(got, usual);
    EXPECT_TRUE(waitGone(std::stoi(readWhole(pidFile))));
}

TEST(LocalGateway, TheKeyIsTakenOutOfTheEnvironment) {
    struct Case {
        std::optional<std::string> value;
        std::optional<std::string> taken;
    };
    for (const Case& c : {Case{"sk-abc", "sk-abc"}, Case{"", std::nullopt}, Case{std::nullopt, std::nullopt}}) {
        if (c.value) ::setenv("ANTHROPIC_API_KEY", c.value->c_str(), 1);
        else ::unsetenv("ANTHROPIC_API_KEY");
        EXPECT_EQ(LocalGateway::takeApiKey(), c.taken);
        EXPECT_EQ(std::getenv("ANTHROPIC_API_KEY"), nullptr);
        for (const std::string& line : ChildProcess::environment()) EXPECT_NE(line.rfind("ANTHROPIC_API_KEY=", 0), 0u);
    }
}
