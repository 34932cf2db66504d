// The gateway under clients that would wear it down: many large refused requests, a long
// log, slow and greedy connections, a second gateway on its port, and an interrupt while it
// streams. Deadlines are shortened through the program's flags, so nothing here waits long.
#include "GatewayProcess.h"
#include "GatewayTestSupport.h"

#include <atomic>
#include <mutex>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::string head(int port, const std::string& path, const std::string& fields = "") {
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + fields;
}

}  // namespace

TEST(GatewayBounds, RefusedRequestsCostOnlyTheirHeads) {
    GatewayProcess gateway({"--port", "0", "--control"});
    ASSERT_FALSE(gateway.base.empty());
    const long before = gateway.peakKiB();
    // 80 clients at once, each sending a 4 MB lesson with no token, without waiting to hear.
    const std::string content(4 << 20, 'x');
    const std::string body = json{{"messages", {{{"role", "user"}, {"content", content}}}}}.dump();
    const std::string request =
        head(gateway.port, "/v1/messages", "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n") + body;
    std::atomic<int> refused{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 80; ++i)
        clients.emplace_back([&] {
            RawClient raw(gateway.port);
            raw.send(request);
            if (statusOf(raw.reply()) == 401) ++refused;
        });
    for (std::thread& t : clients) t.join();
    EXPECT_EQ(refused, 80);
    // Kept whole, the bodies alone would be 320 MB.
    EXPECT_LT(gateway.peakKiB() - before, 32 * 1024) << before << " KiB before";
    const json log = json::parse(get(gateway.base, "_control/log").body);
    ASSERT_EQ(log.size(), 80u);
    for (const json& e : log) {
        EXPECT_EQ(e["status"], 401);
        EXPECT_TRUE(e["body"].is_null());
    }
}

TEST(GatewayBounds, TheLogKeepsTheLast200RequestsWithTheirBodiesCut) {
    Served served;
    Client client(served);
    ASSERT_EQ(client.send("v1/challenge", json::object()).status, 200);  // logs in
    // 250 lessons of 10 KB, and a refused one of a megabyte.
    const Http::Headers bearer = {{"authorization", "Bearer " + client.store->read().value_or("")}};
    for (int i = 0; i < 250; ++i)
        ASSERT_EQ(post(served.base(), "v1/messages", {{"n", i}, {"messages", json::array()}, {"pad", std::string(10000, 'p')}}, bearer).status, 200);
    EXPECT_EQ(post(served.base(), "v1/messages", {{"pad", std::string(1 << 20, 'p')}}).status, 401);

    const json log = served.log();
    ASSERT_EQ(log.size(), 200u);
    EXPECT_EQ(log[0]["body"]["n"], 51);  // the login and the first 50 lessons went
    EXPECT_EQ(log[198]["body"]["n"], 249);
    for (size_t i = 0; i < 199; ++i) {
        EXPECT_EQ(log[i]["cut"], true);
        EXPECT_EQ(log[i]["body"]["messages"], json::array());  // what comes first is kept whole
        EXPECT_LT(log[i]["body"].dump().size(), 4200u);
    }
    EXPECT_EQ(log[199]["status"], 401);
    EXPECT_TRUE(log[199]["body"].is_null());
}

TEST(GatewayBounds, SlowClientsHoldNoThreadAndOthersAreAnswered) {
    struct Case {
        const char* from;                // where the slow clients connect from
        std::vector<std::string> flags;  // beyond the port and a deadline longer than the test
        int held;                        // slow connections the gateway keeps open
    };
    const Case cases[] = {
        {"127.0.0.1", {}, 80},                                   // the same address as the app
        {"127.0.0.2", {"--client-connections", "20"}, 20},  // another client, capped
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--port", "0", "--header-deadline", "600"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        GatewayProcess gateway(args);
        ASSERT_FALSE(gateway.base.empty());
        // 80 connections that each send a header byte at a time, and never finish.
        std::vector<std::unique_ptr<RawClient>> slow;
        for (int i = 0; i < 80; ++i) {
            slow.push_back(std::make_unique<RawClient>(gateway.port, c.from));
            slow.back()->send(head(gateway.port, "/v1/challenge", "X-Slow: "));
        }
        std::atomic<bool> dribbling{true};
        std::mutex sending;
        std::thread dribbler([&] {
            while (dribbling) {
                {
                    std::lock_guard lock(sending);
                    for (auto& s : slow) s->send("a");
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        // Someone else logs in, starts a lesson and gets a painting meanwhile.
        Client client(gateway.base);
        Outcome lesson = client.begin(12);
        EXPECT_EQ(lesson.status, 200) << c.from;
        EXPECT_GE(lesson.pieces.size(), 12u) << c.from;
        Outcome painting = client.send("v1/paint", {{"kind", "sketch"}, {"subject", "a kite"}, {"aspect", "1:1"}}, {}, 30, false);
        EXPECT_EQ(painting.status, 200) << c.from;
        dribbling = false;
        dribbler.join();
        // Those held are still waiting for their heads; those over the cap were turned away.
        int held = 0;
        for (auto& s : slow) {
            if (s->closedByService() || s->heardFrom()) {
                // Turned away at once with 503 (unless the client's early bytes made the
                // closing a reset that overtook it).
                const std::string reply = s->reply(1);
                EXPECT_TRUE(reply.empty() || statusOf(reply) == 503) << reply;
            } else {
                ++held;
            }
        }
        EXPECT_EQ(held, c.held) << c.from;
    }
}

TEST(GatewayBounds, HeadsAndBodiesThatTakeTooLongEndIn408) {
    GatewayProcess gateway({"--port", "0", "--header-deadline", "0.3", "--body-deadline", "0.3"});
    ASSERT_FALSE(gateway.base.empty());
    struct Case {
        std::string start;  // sent at once
        bool dribble;       // then a byte every 50 ms until the gateway answers
        int status;         // 0: closed without a word
    };
    const Case cases[] = {
        {head(gateway.port, "/v1/challenge", "X-Slow: "), true, 408},
        {head(gateway.port, "/v1/attest", "Content-Length: 1000\r\n\r\n{"), true, 408},
        {head(gateway.port, "/v1/attest", "Transfer-Encoding: chunked\r\n\r\n1\r\n{\r\n"), false, 408},
        {"", false, 0},  // connected, and never said anything
    };
    for (const Case& c : cases) {
        RawClient raw(gateway.port);
        raw.send(c.start);
        std::string reply;
        for (int i = 0; i < 400 && !raw.closedByService() && !raw.heardFrom(); ++i) {
            if (c.dribble) raw.send(" ");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        reply = raw.reply();
        EXPECT_EQ(statusOf(reply), c.status) << c.start;
        EXPECT_EQ(bodyOf(reply), c.status ? "The request took too long to arrive.\n" : "") << c.start;
        EXPECT_TRUE(raw.closedByService(5)) << c.start;
    }
}

TEST(GatewayBounds, ASecondGatewayOnATakenPortFailsClearly) {
    GatewayProcess first({"--port", "0"});
    ASSERT_FALSE(first.base.empty());
    const std::string port = std::to_string(first.port);
    GatewayProcess second({"--port", port});
    EXPECT_TRUE(second.base.empty());
    std::optional<int> status = second.wait(20);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    EXPECT_EQ(second.errors(), "nolby-gateway: port " + port + " is in use\n");
    // In a process of our own as well.
    service::Options options;
    options.port = first.port;
    service::GatewayService same(options);
    std::string why;
    EXPECT_EQ(same.bind(&why), -1);
    EXPECT_EQ(why, "port " + port + " is in use");
    // Every request still reaches the first.
    Client client(first.base);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(client.send("v1/challenge", json::object()).status, 200) << i;
}

TEST(GatewayBounds, AnInterruptMidStreamEndsTheProgramCleanly) {
    for (int streams : {1, 6}) {  // the client runs up to 8 transfers at once
        GatewayProcess gateway({"--port", "0", "--control"});
        ASSERT_FALSE(gateway.base.empty());
        EXPECT_EQ(post(gateway.base, "_control/fault", {{"kind", "stall"}, {"after", 4}, {"seconds", 600}, {"times", streams}}).status, 200);
        Client client(gateway.base);
        std::vector<Outcome> outs(static_cast<size_t>(streams));
        for (Outcome& out : outs) client.start(out);
        EXPECT_TRUE(client.loop->runUntil(
            [&] { return std::all_of(outs.begin(), outs.end(), [](const Outcome& o) { return o.pieces.size() >= 12; }); }, 60));
        ::kill(gateway.pid, SIGTERM);
        std::optional<int> status = gateway.wait(20);
        ASSERT_TRUE(status) << streams;
        EXPECT_TRUE(WIFEXITED(*status)) << streams << " streams, status " << *status;
        EXPECT_EQ(WEXITSTATUS(*status), 0) << streams;
        // The clients see their streams end.
        EXPECT_TRUE(client.loop->runUntil([&] { return std::all_of(outs.begin(), outs.end(), [](const Outcome& o) { return o.ended; }); }, 30));
    }
}
