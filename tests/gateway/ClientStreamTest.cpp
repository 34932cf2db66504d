#include "GatewayTestSupport.h"

#include "platform/Pict.h"

#include <thread>

using namespace nolby;
using namespace nolby::testing;

namespace {

// A reply of many lines, long enough that a stream cut off midway still has more to send.
std::string reply(int lines = 40) {
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "{\"t\":\"p\",\"text\":\"line " + std::to_string(i) + " — naïve café ✓ 🙂\"}\n";
    return text;
}

// The data of each "data:" line, as the model client reads it.
std::vector<json> events(const Outcome& out) {
    std::vector<json> data;
    for (const std::string& line : out.pieces)
        if (line.rfind("data:", 0) == 0) data.push_back(json::parse(line.substr(5)));
    return data;
}

// The reply text the events carry.
std::string text(const Outcome& out) {
    std::string all;
    for (const json& e : events(out))
        if (e["type"] == "content_block_delta" && e["delta"]["type"] == "text_delta") all += e["delta"]["text"];
    return all;
}

std::vector<std::string> types(const Outcome& out) {
    std::vector<std::string> t;
    for (const json& e : events(out)) t.push_back(e["type"]);
    return t;
}

}  // namespace

TEST(GatewayStream, EventsComeInTheirRealOrderWithUsageAndWholeCharacters) {
    Served served;
    Client client(served);
    served.queue(reply());
    Outcome out = client.send();
    EXPECT_EQ(out.status, 200);
    EXPECT_EQ(out.error, nullptr);
    EXPECT_EQ(text(out), reply());
    std::vector<std::string> t = types(out);
    ASSERT_GT(t.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 3),
              (std::vector<std::string>{"message_start", "content_block_start", "ping"}));
    EXPECT_EQ(std::vector<std::string>(t.end() - 3, t.end()),
              (std::vector<std::string>{"content_block_stop", "message_delta", "message_stop"}));
    std::vector<json> e = events(out);
    EXPECT_GT(e.front()["message"]["usage"]["input_tokens"].get<int>(), 0);
    EXPECT_GT(e[e.size() - 2]["usage"]["output_tokens"].get<int>(), 0);
    EXPECT_EQ(e[e.size() - 2]["delta"]["stop_reason"], "end_turn");
    // Every piece is valid text on its own: no character was cut in two.
    for (const json& ev : e) {
        if (ev["type"] == "content_block_delta") {
            EXPECT_NO_THROW(json::parse(json(ev["delta"]["text"]).dump()));
        }
    }
}

TEST(GatewayStream, WrittenAByteAtATimeOrWithCrLfTheLinesAreTheSame) {
    Served served;
    Client client(served);
    served.queue(reply());
    const Outcome plain = client.send();
    for (const json& fault : {json{{"kind", "split"}, {"bytes", 1}}, json{{"kind", "crlf"}}}) {
        served.fault(fault);
        served.queue(reply());
        Outcome out = client.send();
        EXPECT_EQ(out.error, nullptr) << fault.dump();
        EXPECT_EQ(out.pieces, plain.pieces) << fault.dump();
    }
    served.fault({{"kind", "bare-data"}});
    served.queue(reply());
    Outcome bare = client.send();
    EXPECT_EQ(text(bare), reply());
    for (const std::string& line : bare.pieces) {
        if (line.rfind("data", 0) == 0) {
            EXPECT_EQ(line.rfind("data:{", 0), 0u) << line;
        }
    }
}

TEST(GatewayStream, ACutStreamEndsInConnectionLostAfterWhatArrived) {
    Served served;
    Client client(served);
    served.fault({{"kind", "cut"}, {"after", 6}});
    served.queue(reply());
    Outcome out = client.send();
    EXPECT_EQ(out.kind<Http::Failure>(), Http::Failure::Kind::connectionLost);
    EXPECT_EQ(out.text(), "The connection was lost. Try again.");
    EXPECT_EQ(types(out).size(), 6u);
    EXPECT_EQ(reply().rfind(text(out), 0), 0u);  // what came is the start of the reply
    EXPECT_EQ(served.last("/v1/messages")["ended"], "cut");
}

TEST(GatewayStream, AStalledStreamTimesOutOnTheIdleLimit) {
    Served served;
    Client client(served);
    served.fault({{"kind", "stall"}, {"after", 4}, {"seconds", 20}});
    served.queue(reply());
    Outcome out = client.send("v1/messages", {{"messages", json::array()}}, {}, /*timeout=*/1);
    EXPECT_EQ(out.kind<Http::Failure>(), Http::Failure::Kind::timedOut);
    EXPECT_EQ(types(out).size(), 4u);
}

TEST(GatewayStream, ACancelStopsTheTransferAndDeliversNothingMore) {
    Served served;
    Client client(served);
    served.fault({{"kind", "stall"}, {"after", 4}, {"seconds", 0.5}});
    served.queue(reply(400));
    Outcome out;
    std::shared_ptr<Gateway::Call> call;
    size_t atCancel = 0;
    Gateway::Reader reader;
    reader.lines = true;
    reader.onBody = [&](std::string_view line) {
        out.pieces.emplace_back(line);
        if (line.rfind("data:", 0) == 0 && !call->cancelled()) {
            call->cancel();
            atCancel = out.pieces.size();
        }
    };
    reader.onEnd = [&](std::exception_ptr) { out.ended = true; };
    call = client.gateway->send("v1/messages", {{"messages", json::array()}}, {}, 30, std::move(reader));
    // The service notices the client has gone when it writes again after its pause.
    json entry;
    for (int i = 0; i < 200 && !entry.contains("ended"); ++i) {
        client.loop->runFor(0.05);
        entry = served.last("/v1/messages");
    }
    EXPECT_EQ(entry.value("ended", ""), "early");
    EXPECT_LT(entry.value("events", size_t(0)), 40u);  // of thousands
    EXPECT_EQ(out.pieces.size(), atCancel);
    EXPECT_FALSE(out.ended);
}

TEST(GatewayStream, EachFaultOfTheReplyReachesTheClientAsTheModelWouldSendIt) {
    Served served;
    Client client(served);
    auto last = [](const Outcome& out, const std::string& type) {
        json found;
        for (const json& e : events(out))
            if (e["type"] == type) found = e;
        return found;
    };

    served.fault({{"kind", "status"}, {"status", 500}, {"text", "The tutor is out.\nBack soon.\n"}});
    Outcome status = client.send();
    EXPECT_EQ(status.status, 500);
    EXPECT_EQ(status.pieces, (std::vector<std::string>{"The tutor is out.", "Back soon."}));

    served.fault({{"kind", "refusal"}, {"category", "cyber"}});
    json withCategory = last(client.send(), "message_delta");
    EXPECT_EQ(withCategory["delta"]["stop_reason"], "refusal");
    EXPECT_EQ(withCategory["delta"]["stop_details"]["category"], "cyber");
    served.fault({{"kind", "refusal"}});
    json without = last(client.send(), "message_delta");
    EXPECT_EQ(without["delta"]["stop_reason"], "refusal");
    EXPECT_FALSE(without["delta"].contains("stop_details"));

    served.fault({{"kind", "error"}, {"after", 4}, {"message", "Overloaded"}});
    Outcome error = client.send();
    EXPECT_EQ(types(error).size(), 5u);
    EXPECT_EQ(events(error).back(), (json{{"type", "error"}, {"error", {{"type", "overloaded_error"}, {"message", "Overloaded"}}}}));
    served.fault({{"kind", "error"}, {"bare", true}});
    EXPECT_EQ(events(client.send()).back(), (json{{"type", "error"}}));
}

TEST(GatewayStream, PaintFaultsReachThePainterAsBytes) {
    Served served;
    Client client(served);
    const json body = {{"kind", "painting"}, {"subject", "a heron"}, {"aspect", "4:3"}};
    auto paint = [&](std::optional<json> fault) {
        if (fault) served.fault(*fault);
        return client.send("v1/paint", body, {}, 150, /*lines=*/false);
    };
    Outcome normal = paint(std::nullopt);
    EXPECT_EQ(normal.status, 200);
    const std::string png = normal.bytes();
    std::shared_ptr<const Image> image = Pict::image({reinterpret_cast<const uint8_t*>(png.data()), png.size()});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 768);
    EXPECT_EQ(image->height(), 576);

    EXPECT_EQ(paint(json{{"kind", "paint-status"}, {"status", 500}}).status, 500);
    Outcome empty = paint(json{{"kind", "paint-empty"}});
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.bytes(), "");
    EXPECT_EQ(paint(json{{"kind", "paint-text"}}).bytes(), "This is not a picture.\n");
    EXPECT_EQ(paint(json{{"kind", "paint-jpeg"}}).bytes().substr(0, 3), "\xFF\xD8\xFF");
    Outcome huge = paint(json{{"kind", "paint-huge"}});
    EXPECT_GT(huge.bytes().size(), 30'000'000u);
    EXPECT_EQ(huge.bytes().substr(0, png.size()), png);
    Outcome late = paint(json{{"kind", "paint-delay"}, {"seconds", 0.2}});
    EXPECT_EQ(late.bytes(), png);  // the same subject paints the same picture
}
