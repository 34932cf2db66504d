#include "GatewayProcess.h"
#include "GatewayTestSupport.h"
#include "Painting.h"

#include "platform/Pict.h"
#include "tutor/Base64.h"
#include "tutor/Sha256.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

Http::Reply raw(const Served& served, const std::string& path, std::string body, Http::Headers headers = {}) {
    Http::Request r;
    r.url = Gateway::url(served.base(), path);
    r.headers = std::move(headers);
    r.headers.push_back({"content-type", "application/json"});
    r.body = std::move(body);
    return Http::fetch(r, 1 << 20);
}

std::string pngBytes(int w, int h) {
    auto image = Image::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    auto bytes = Pict::encode(*image, Pict::png);
    return std::string(bytes->begin(), bytes->end());
}

}  // namespace

TEST(GatewayService, RefusesBadBodiesUnknownPathsAndMissingTokensInWords) {
    service::Options options = quiet();
    options.maxBody = 4000;
    Served served(options);
    Client client(served);
    ASSERT_EQ(client.send().status, 200);
    const Http::Headers bearer = {{"authorization", "Bearer " + client.store->read().value_or("")}};
    struct Case {
        std::string path, body;
        Http::Headers headers;
        int status;
        std::string text;
    };
    const Case cases[] = {
        {"v1/messages", "not json", bearer, 400, "The request body is not a JSON object.\n"},
        {"v1/messages", "[1, 2]", bearer, 400, "The request body is not a JSON object.\n"},
        {"v1/paint", "{", bearer, 400, "The request body is not a JSON object.\n"},
        {"v1/attest", "", {}, 400, "The request body is not a JSON object.\n"},
        {"v1/messages", "{}", {}, 401, "The session token was not accepted.\n"},
        {"v1/paint", "{}", {{"authorization", "Bearer made-up"}}, 401, "The session token was not accepted.\n"},
        {"v1/messages", std::string(5000, ' ') + "{}", bearer, 413, "The request body is too large.\n"},
        {"v2/messages", "{}", bearer, 404, "No such path.\n"},
        {"_control/fault", "{\"kind\": \"meteor\"}", {}, 400, ""},
        {"_control/queue", "{\"lines\": []}", {}, 400, ""},
    };
    for (const Case& c : cases) {
        Http::Reply reply = raw(served, c.path, c.body, c.headers);
        EXPECT_EQ(reply.status, c.status) << c.path << " " << c.body.substr(0, 20);
        if (!c.text.empty()) {
            EXPECT_EQ(reply.body, c.text) << c.path;
        }
    }
}

TEST(GatewayService, AChallengeServesOneLoginAndOnlyWithAnAttestationOverIt) {
    Served served;
    auto challenge = [&] { return json::parse(raw(served, "v1/challenge", "").body)["challenge"].get<std::string>(); };
    auto attest = [&](const std::string& c, const std::string& over) {
        json body = {{"keyId", "k"}, {"challenge", c}, {"attestation", Base64::encode("made over " + over)}};
        return raw(served, "v1/attest", body.dump()).status;
    };
    const std::string c1 = challenge();
    EXPECT_EQ(Base64::decode(c1)->size(), 32u);
    EXPECT_EQ(attest(c1, sha256(*Base64::decode(c1))), 200);
    EXPECT_EQ(attest(c1, sha256(*Base64::decode(c1))), 401);  // used
    const std::string c2 = challenge();
    EXPECT_EQ(attest(c2, sha256("something else")), 401);
    EXPECT_EQ(attest(Base64::encode("never issued"), sha256("never issued")), 401);
}

TEST(GatewayService, TheLogShowsEachRequestWithPicturesAsTheirSize) {
    Served served;
    Client client(served);
    const json body = {{"messages",
                        {{{"role", "user"},
                          {"content",
                           {{{"type", "text"}, {"text", "page:"}},
                            {{"type", "image"},
                             {"source", {{"type", "base64"}, {"media_type", "image/png"}, {"data", Base64::encode(pngBytes(3, 2))}}}}}}}}}};
    ASSERT_EQ(client.send("v1/messages", body, {{"x-nolby-op", "lesson"}}).status, 200);
    const json entry = served.last("/v1/messages");
    EXPECT_EQ(entry["status"], 200);
    EXPECT_EQ(entry["ended"], "complete");
    EXPECT_EQ(entry["headers"]["x-nolby-op"], "lesson");
    EXPECT_EQ(entry["headers"]["content-type"], "application/json");
    EXPECT_EQ(entry["body"]["messages"][0]["content"][0]["text"], "page:");
    EXPECT_EQ(entry["body"]["messages"][0]["content"][1]["source"]["data"], (json{{"png", {3, 2}}}));
}

TEST(GatewayService, PaintingsAreNearWhiteDeterministicAndShapedByTheAspect) {
    const std::pair<std::string, std::pair<int, int>> sizes[] = {
        {"1:1", {768, 768}}, {"4:3", {768, 576}}, {"3:4", {576, 768}}, {"16:9", {768, 432}},
        {"3:2", {768, 512}}, {"2:3", {512, 768}}, {"odd", {768, 768}}};
    for (const auto& [aspect, size] : sizes) EXPECT_EQ(service::paintingSize(aspect), size) << aspect;
    auto png = [](const std::string& subject) {
        auto bytes = Pict::encode(*service::painting(subject, "3:4"), Pict::png);
        return std::string(bytes->begin(), bytes->end());
    };
    EXPECT_EQ(png("a heron at dawn"), png("a heron at dawn"));
    EXPECT_NE(png("a heron at dawn"), png("a fox in snow"));
    auto image = service::painting("a heron at dawn", "3:4");
    const unsigned char* px = cairo_image_surface_get_data(image->surface());
    // Corners show the paper: every channel above 236, which whitening turns white.
    for (int corner : {0, (image->width() - 1) * 4})
        for (int c = 0; c < 3; ++c) EXPECT_GT(px[corner + c], 236) << corner;
}

TEST(GatewayService, ABodilessPostIsAnEmptyBodyAndTheConnectionServesTheNextRequest) {
    Served served;
    RawClient raw(served.service.port());
    const std::string host = "Host: 127.0.0.1:" + std::to_string(served.service.port()) + "\r\n";
    // Two requests at once: the first without Content-Length, the second right behind it.
    raw.send("POST /v1/challenge HTTP/1.1\r\n" + host + "\r\nPOST /v1/challenge HTTP/1.1\r\n" + host + "\r\n");
    for (int i = 0; i < 2; ++i) {
        const std::string reply = raw.reply();
        EXPECT_EQ(statusOf(reply), 200) << i;
        std::optional<std::string> bytes = Base64::decode(json::parse(bodyOf(reply), nullptr, false).value("challenge", ""));
        EXPECT_EQ(bytes ? bytes->size() : 0u, 32u) << reply;
    }
    EXPECT_FALSE(raw.closedByService());
}

TEST(GatewayService, ChunkedBodiesAreReadAndHeldToTheLimitAsDeclaredOnesAre) {
    service::Options options = quiet();
    options.maxBody = 4000;
    Served served(options);
    Client client(served);
    ASSERT_EQ(client.send("v1/challenge", json::object()).status, 200);  // logs in
    const std::string fields = "Host: 127.0.0.1:" + std::to_string(served.service.port()) +
                               "\r\nAuthorization: Bearer " + client.store->read().value_or("") +
                               "\r\nContent-Type: application/json\r\n";
    auto chunked = [](const std::string& body, size_t piece) {
        std::string out;
        for (size_t at = 0; at < body.size(); at += piece) {
            const std::string part = body.substr(at, piece);
            char size[16];
            std::snprintf(size, sizeof size, "%zx\r\n", part.size());
            out += size + part + "\r\n";
        }
        return out + "0\r\n\r\n";
    };
    const std::string small = json{{"messages", json::array()}, {"pad", std::string(3000, 'p')}}.dump();
    const std::string large = json{{"messages", json::array()}, {"pad", std::string(4500, 'p')}}.dump();
    struct Case {
        std::string path, framing, body;
        int status;
    };
    const Case cases[] = {
        {"/v1/messages", "Transfer-Encoding: chunked\r\n", chunked(small, 700), 200},
        {"/v1/messages", "Transfer-Encoding: chunked\r\n", chunked(large, 700), 413},
        {"/v1/messages", "Transfer-Encoding: chunked\r\n", chunked(large, 5000), 413},
        {"/v1/messages", "Content-Length: " + std::to_string(large.size()) + "\r\n", large, 413},
        {"/v1/messages", "Transfer-Encoding: chunked\r\n", "zz\r\n", 400},
        {"/v1/messages", "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", "0\r\n\r\n", 400},
        {"/v1/messages", "Transfer-Encoding: gzip\r\n", "", 501},
        {"/v1/messages", "Content-Encoding: gzip\r\nContent-Length: 2\r\n", "{}", 415},
        // A login carries no token, and no more than a login needs.
        {"/v1/attest", "Transfer-Encoding: chunked\r\n", chunked(json{{"unsupported", true}}.dump(), 5), 200},
        {"/v1/attest", "Content-Length: 70000\r\n", "", 413},
    };
    for (const Case& c : cases) {
        RawClient raw(served.service.port());
        raw.send("POST " + c.path + " HTTP/1.1\r\n" + fields + c.framing + "\r\n" + c.body);
        const std::string reply = raw.reply();
        EXPECT_EQ(statusOf(reply), c.status) << c.framing << c.body.substr(0, 20);
        if (c.status == 413) {
            EXPECT_EQ(bodyOf(reply), "The request body is too large.\n");
        }
    }
}
