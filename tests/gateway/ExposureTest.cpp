// What any web page or local program could ask of the gateway on 127.0.0.1: a page that
// rebinds its own name to 127.0.0.1 (a foreign Host), a page posting across origins (an
// Origin), and the test hooks of a gateway started without them.
#include "GatewayProcess.h"
#include "GatewayTestSupport.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

const char* const kForeignHost = "This service answers only at 127.0.0.1:";
const char* const kWebPage = "This service does not answer web pages.\n";

}  // namespace

TEST(GatewayExposure, OnlyItsOwnHostIsAnsweredAndNeverAWebPage) {
    Served served;
    Client client(served);
    ASSERT_EQ(client.send().status, 200);  // logs in
    const std::string bearer = "Bearer " + client.store->read().value_or("");
    const std::string port = std::to_string(served.service.port());
    struct Case {
        std::string method, path;
        Http::Headers headers;
        int status;
        std::string text;  // the start of the reply
    };
    const Http::Header token = {"authorization", bearer};
    const Case cases[] = {
        {"POST", "v1/challenge", {{"host", "attacker.example:" + port}}, 403, kForeignHost},
        {"POST", "v1/messages", {{"host", "attacker.example:" + port}, token}, 403, kForeignHost},
        {"POST", "v1/paint", {{"host", "127.0.0.1:" + std::to_string(served.service.port() + 1)}, token}, 403, kForeignHost},
        {"POST", "v1/attest", {{"host", "127.0.0.1"}}, 403, kForeignHost},
        {"GET", "_control/log", {{"host", "attacker.example:" + port}}, 403, kForeignHost},
        {"POST", "_control/queue", {{"host", "localhost.attacker.example:" + port}}, 403, kForeignHost},
        {"POST", "_control/fault", {{"origin", "http://attacker.example"}}, 403, kWebPage},
        {"POST", "v1/messages", {{"origin", "null"}, token}, 403, kWebPage},
        {"POST", "v1/challenge", {{"origin", "http://127.0.0.1:" + port}}, 403, kWebPage},  // even its own
        {"GET", "_control/log", {{"origin", "http://localhost:" + port}}, 403, kWebPage},
        // Its own names, in any case, are answered.
        {"POST", "v1/challenge", {{"host", "localhost:" + port}}, 200, "{\"challenge\""},
        {"POST", "v1/challenge", {{"host", "LocalHost:" + port}}, 200, "{\"challenge\""},
        {"POST", "v1/challenge", {{"host", "127.0.0.1:" + port}}, 200, "{\"challenge\""},
    };
    for (const Case& c : cases) {
        Http::Request r;
        r.method = c.method;
        r.url = Gateway::url(served.base(), c.path);
        r.headers = c.headers;
        if (c.method == "POST") {
            r.headers.push_back({"content-type", "text/plain"});
            r.body = c.path == "_control/queue" ? R"({"text": "{\"t\":\"p\",\"text\":\"Planted.\"}\n"})"
                                                : R"({"kind": "revoke"})";
        }
        Http::Reply reply = Http::fetch(r, 1 << 20);
        EXPECT_EQ(reply.status, c.status) << c.path << " " << c.headers[0].value;
        EXPECT_EQ(reply.body.rfind(c.text, 0), 0u) << c.path << ": " << reply.body;
    }
    // Nothing they asked was done: the token stands and the next reply is the tutor's own.
    Outcome lesson = client.send();
    EXPECT_EQ(lesson.status, 200);
    EXPECT_EQ(lesson.bytes().find("Planted."), std::string::npos);
    // Each refusal is in the log, without its body.
    size_t refused = 0;
    for (const json& e : served.log())
        if (e["status"] == 403) {
            ++refused;
            EXPECT_TRUE(e["body"].is_null()) << e.dump();
        }
    EXPECT_EQ(refused, 10u);
}

TEST(GatewayExposure, AHeadWithoutOneHostIsRefused) {
    Served served;
    const std::string host = "Host: 127.0.0.1:" + std::to_string(served.service.port()) + "\r\n";
    for (const std::string& fields : {std::string(), host + host}) {
        RawClient raw(served.service.port());
        raw.send("POST /v1/challenge HTTP/1.1\r\n" + fields + "Content-Length: 0\r\n\r\n");
        const std::string reply = raw.reply();
        EXPECT_EQ(statusOf(reply), 403) << fields;
        EXPECT_EQ(bodyOf(reply).rfind(kForeignHost, 0), 0u) << reply;
    }
}

TEST(GatewayExposure, WithoutControlTheTestHooksDoNotExist) {
    // The program as scripts/run and the app start it.
    GatewayProcess gateway({"--port", "0"});
    ASSERT_FALSE(gateway.base.empty());
    Client client(gateway.base);
    ASSERT_EQ(client.send("v1/challenge", json::object()).status, 200);  // logs in
    // A web page's form post: text/plain, no preflight.
    const std::string bearer = "Bearer " + client.store->read().value_or("");
    const Http::Headers plain = {{"content-type", "text/plain"}};
    EXPECT_EQ(post(gateway.base, "_control/queue", {{"text", "{\"t\":\"p\",\"text\":\"Planted.\"}\n"}}, plain).status, 404);
    EXPECT_EQ(post(gateway.base, "_control/fault", {{"kind", "revoke"}}, plain).status, 404);
    EXPECT_EQ(post(gateway.base, "_control/fault", {{"kind", "status"}, {"status", 500}}).status, 404);
    const Http::Reply log = get(gateway.base, "_control/log");
    EXPECT_EQ(log.status, 404);
    EXPECT_EQ(log.body, "No such path.\n");
    EXPECT_EQ(log.body.find(bearer), std::string::npos);
    // The token stands and the tutor's reply is its own (its first lines will do).
    Outcome lesson = client.begin(12);
    EXPECT_EQ(lesson.status, 200);
    EXPECT_GE(lesson.pieces.size(), 12u);
    EXPECT_EQ(lesson.bytes().find("Planted."), std::string::npos);

    // The same library in a process of our own: off unless asked for.
    service::Options options;
    options.port = 0;
    Served inProcess(options);
    EXPECT_EQ(get(inProcess.base(), "_control/log").status, 404);
}
