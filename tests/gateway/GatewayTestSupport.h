#pragma once
// The gateway service on a free loopback port, a client of it with a private token store,
// and small helpers to drive both. Nothing here reaches beyond 127.0.0.1.

#include "Service.h"
#include "tutor/Gateway.h"
#include "tutor/Http.h"

#include "../TempFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <atomic>

namespace nolby::testing {

using json = nlohmann::json;

// A service for tests: any free port, the demo tutor without pauses, the control paths on.
inline service::Options quiet(service::Options o = {}) {
    o.port = 0;
    o.demoPace = 0;
    o.control = true;
    return o;
}

// A JSON body posted to a path of the gateway at `base`, and its whole reply.
inline Http::Reply post(const std::string& base, const std::string& path, const json& body, Http::Headers headers = {}) {
    Http::Request r;
    r.url = Gateway::url(base, path);
    r.headers = std::move(headers);
    r.headers.push_back({"content-type", "application/json"});
    r.body = body.dump();
    return Http::fetch(r, size_t(1) << 26);
}

// A GET of a path of the gateway at `base`.
inline Http::Reply get(const std::string& base, const std::string& path) {
    Http::Request r;
    r.method = "GET";
    r.url = Gateway::url(base, path);
    return Http::fetch(r, size_t(1) << 26);
}

// The service, started in-process.
struct Served {
    service::GatewayService service;
    explicit Served(service::Options o = quiet()) : service(std::move(o)) { EXPECT_GT(service.start(), 0); }
    std::string base() const { return service.base(); }

    Http::Reply post(const std::string& path, const json& body) const { return testing::post(base(), path, body); }
    void fault(const json& f) const { EXPECT_EQ(post("_control/fault", f).status, 200) << f.dump(); }
    void queue(const std::string& text) const { EXPECT_EQ(post("_control/queue", {{"text", text}}).status, 200); }
    json log() const { return json::parse(get(base(), "_control/log").body); }
    // The logged requests to one path.
    std::vector<json> logOf(const std::string& path) const {
        std::vector<json> out;
        for (const json& e : log())
            if (e["path"] == path) out.push_back(e);
        return out;
    }
    // The last logged request to one path; an empty object when there is none.
    json last(const std::string& path) const {
        std::vector<json> all = logOf(path);
        return all.empty() ? json::object() : all.back();
    }
};

// An attestor that can prove itself, or fail at the step a test chooses.
struct FakeAttestor : Attestor {
    bool supports = true, makesKeys = true, attests = true;
    std::atomic<int> keys{0};
    bool supported() const override { return supports; }
    std::optional<std::string> generateKey() override {
        if (!makesKeys) return std::nullopt;
        return "key-" + std::to_string(++keys);
    }
    std::optional<std::string> attestKey(const std::string& keyId, const std::string& hash) override {
        if (!attests) return std::nullopt;
        return "attestation of " + keyId + " over " + hash;
    }
};

using test::TempFolder;

// What a send delivered to its reader.
struct Outcome {
    std::optional<int> status;
    std::vector<std::string> pieces;  // lines, or byte pieces
    std::exception_ptr error;
    bool ended = false;

    std::string bytes() const {
        std::string all;
        for (const std::string& p : pieces) all += p;
        return all;
    }
    std::string text() const {
        if (!error) return "";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    template <class E>
    std::optional<typename E::Kind> kind() const {
        if (!error) return std::nullopt;
        try {
            std::rethrow_exception(error);
        } catch (const E& e) {
            return e.kind();
        } catch (...) {
        }
        return std::nullopt;
    }
};

// A client of a served gateway with its own token store, on a real main loop.
struct Client {
    TempFolder home;
    std::shared_ptr<LoopScheduler> loop = std::make_shared<LoopScheduler>();
    std::shared_ptr<TokenStore> store = std::make_shared<TokenStore>(home.path);
    std::shared_ptr<Gateway> gateway;

    explicit Client(const Served& served, std::shared_ptr<Attestor> attestor = Attestor::unsupported())
        : Client(served.base(), std::move(attestor)) {}
    explicit Client(const std::string& base, std::shared_ptr<Attestor> attestor = Attestor::unsupported())
        : gateway(Gateway::make(loop, base, store, std::move(attestor))) {}
    // A client of the gateway wherever `address` finds it.
    explicit Client(std::shared_ptr<Gateway::Address> address)
        : gateway(Gateway::make(loop, std::move(address), store, Attestor::unsupported())) {}

    // Starts a send whose reader fills `out`.
    std::shared_ptr<Gateway::Call> start(Outcome& out, const std::string& path = "v1/messages",
                                         const json& body = {{"messages", json::array()}}, Http::Headers headers = {},
                                         double timeout = 30, bool lines = true) {
        Gateway::Reader reader;
        reader.lines = lines;
        reader.onResponse = [&out](int status) { out.status = status; };
        reader.onBody = [&out](std::string_view piece) { out.pieces.emplace_back(piece); };
        reader.onEnd = [&out](std::exception_ptr error) {
            out.error = error;
            out.ended = true;
        };
        return gateway->send(path, body, std::move(headers), timeout, std::move(reader));
    }
    // Sends, runs the main loop until `n` pieces of the reply arrived (or it ended) and lets
    // the rest go.
    Outcome begin(size_t n, const std::string& path = "v1/messages", const json& body = {{"messages", json::array()}},
                  Http::Headers headers = {}) {
        Outcome out;
        std::shared_ptr<Gateway::Call> call = start(out, path, body, std::move(headers));
        EXPECT_TRUE(loop->runUntil([&] { return out.ended || out.pieces.size() >= n; }, 60));
        call->cancel();
        return out;
    }
    // Sends and runs the main loop until the reply has ended.
    Outcome send(const std::string& path = "v1/messages", const json& body = {{"messages", json::array()}},
                 Http::Headers headers = {}, double timeout = 30, bool lines = true) {
        Outcome out;
        start(out, path, body, std::move(headers), timeout, lines);
        EXPECT_TRUE(loop->runUntil([&] { return out.ended; }, 60));
        return out;
    }
};

}  // namespace nolby::testing
