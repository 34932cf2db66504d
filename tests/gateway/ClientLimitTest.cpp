#include "GatewayTestSupport.h"

#include "../tutor/PinnedLocale.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

// 2026-03-14, 10:00 UTC.
std::chrono::system_clock::time_point tenAm() { return std::chrono::system_clock::from_time_t(1773482400); }

}  // namespace

TEST(GatewayLimits, TheDaysAllowanceEndsInATextWithTheLocalTimeItResets) {
    PinnedLocale pinned("en_US", "America/New_York");
    service::Options options = quiet();
    options.allowance = 1;
    options.now = tenAm;
    Served served(options);
    Client client(served);
    const Http::Headers lesson = {{"x-nolby-op", "lesson"}};
    EXPECT_EQ(client.send("v1/messages", {{"messages", json::array()}}, lesson).status, 200);
    EXPECT_EQ(client.send().status, 200);  // not a lesson: not counted
    Outcome over = client.send("v1/messages", {{"messages", json::array()}}, lesson);
    EXPECT_EQ(over.status, std::nullopt);
    EXPECT_EQ(over.kind<Gateway::Failure>(), Gateway::Failure::Kind::allowance);
    // Midnight UTC is 8 in the evening in New York in March.
    EXPECT_EQ(over.text(), "That's today's lessons. The press reopens at 8:00\u202FPM.");
    EXPECT_EQ(served.last("/v1/messages")["headers"]["x-nolby-op"], "lesson");
}

TEST(GatewayLimits, TheRestingWindowAnswers503WithTheTimeItReopens) {
    PinnedLocale pinned("de_DE", "Europe/Berlin");
    service::Options options = quiet();
    options.rest = service::parseWindow("09:30-11:15");
    options.now = tenAm;
    Served served(options);
    Client client(served);
    Outcome out = client.send();
    EXPECT_EQ(out.kind<Gateway::Failure>(), Gateway::Failure::Kind::resting);
    EXPECT_EQ(out.text(), "The press is resting for the day. It reopens at 12:15.");
    EXPECT_EQ(client.send("v1/paint", {{"kind", "cover"}}).text(), out.text());
}

TEST(GatewayLimits, LimitBodiesWithoutADateOrWithoutSenseReadAsTomorrowOrUnreachable) {
    const std::string unreachable = "Couldn't reach the press. Check your connection and try again.";
    const std::pair<json, std::string> cases[] = {
        {{{"status", 503}, {"body", "{\"error\": \"resting\"}"}}, "The press is resting for the day. It reopens tomorrow."},
        {{{"body", "{\"error\": \"allowance\", \"resetsAt\": \"next week\"}"}},
         "That's today's lessons. The press reopens tomorrow."},
        {{{"body", "{\"error\": \"allow"}}, unreachable},
        {{{"body", "{\"error\": \"closed\", \"resetsAt\": \"2026-03-15T00:00:00Z\"}"}}, unreachable},
        {{{"body", "[\"allowance\"]"}}, unreachable},
        {{{"body", ""}}, unreachable},
    };
    Served served;
    Client client(served);
    for (const auto& [fault, text] : cases) {
        json f = fault;
        f["kind"] = "limit";
        served.fault(f);
        Outcome out = client.send();
        EXPECT_EQ(out.status, std::nullopt) << f.dump();
        EXPECT_EQ(out.text(), text) << f.dump();
    }
}

TEST(GatewayLimits, ALessonIsSpentOnlyOnceItsReplyStreams) {
    struct Case {
        json fault;  // on the first try
        bool spent;
    };
    const Case cases[] = {
        {{{"kind", "status"}, {"status", 500}}, false},
        {{{"kind", "limit"}, {"status", 503}, {"body", "{\"error\": \"resting\"}"}}, false},
        {{{"kind", "cut"}, {"after", 5}}, true},  // it streamed, then broke off
        {{{"kind", "error"}, {"after", 4}}, true},
    };
    const Http::Headers lesson = {{"x-nolby-op", "lesson"}};
    for (const Case& c : cases) {
        service::Options options = quiet();
        options.allowance = 1;
        Served served(options);
        Client client(served);
        served.fault(c.fault);
        client.send("v1/messages", {{"messages", json::array()}}, lesson);
        Outcome again = client.send("v1/messages", {{"messages", json::array()}}, lesson);
        if (c.spent) {
            EXPECT_EQ(again.kind<Gateway::Failure>(), Gateway::Failure::Kind::allowance) << c.fault.dump();
        } else {
            EXPECT_EQ(again.status, 200) << c.fault.dump();
            EXPECT_EQ(again.error, nullptr) << c.fault.dump();
        }
    }
}
