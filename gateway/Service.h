#pragma once
// nolby-gateway: the local gateway service the app talks to. It issues signed session
// tokens (one-use challenges, the attested and the unsupported login), refuses requests
// without a valid bearer token (401), counts each installation's lessons per UTC day (429
// once the allowance is used up; a lesson is spent only once its reply streams) and rests
// in a daily window (503). Challenges, counts and revocations live in its state (memory, a
// file, or a Redis server several gateways share); a token any gateway with the same
// secret can check. "v1/messages" streams the tutor's reply as server-sent events: a
// reply queued by a test, else the real model through a relay when an API key is set,
// else the offline demo tutor. "v1/paint" paints a deterministic picture. With `control`
// on (for tests only) the "_control" paths queue replies, switch faults on and show the
// log of requests.
//
// It listens on 127.0.0.1 only, and any web page can reach that: it answers only requests
// addressed to 127.0.0.1 or localhost at its own port (a page that rebinds its own name to
// 127.0.0.1 sends its own name as Host) and never a request a browser marks with an
// Origin. Its connection layer (HttpServer) bounds slow and greedy clients.
//
// The service runs in its own threads, in the nolby-gateway program or inside a test.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace nolby::service {

class GatewayState;

struct Options {
    int port = 8787;  // 0: any free port
    // Lessons ("x-nolby-op: lesson" requests) per installation and UTC day; none: no limit.
    std::optional<int64_t> allowance;
    // The daily resting window in minutes of the UTC day, [from, to); it may wrap past
    // midnight. None: never resting.
    std::optional<std::pair<int, int>> rest;
    // The relay: with a key, replies come from the model at `upstream`.
    std::string apiKey;
    std::string upstream = "https://api.anthropic.com/";
    std::optional<std::string> model;  // replaces the request's model when set
    // Seconds between the demo tutor's text pieces, so it streams like a model.
    double demoPace = 0.012;
    // The "_control" paths exist only when this is on: tests turn it on, the app never.
    bool control = false;
    // Request bodies larger than this are refused (413); a login's body may not pass 64 KB.
    size_t maxBody = size_t(64) << 20;
    // Seconds a request's head may take to arrive, and its body after it (else 408).
    double headerDeadline = 10;
    double bodyDeadline = 30;
    // Connections one client address may hold open at once.
    int clientConnections = 256;
    // Bytes of each request's body that the request log keeps.
    size_t logBody = 4096;
    // Where challenges, lesson counts and revocations live; none: this service's memory.
    std::shared_ptr<GatewayState> state;
    // The secret that signs session tokens (at least 32 bytes); empty: a random one for
    // this service alone.
    std::string secret;
    // Seconds a session token is good for; the app logs in again when one is refused.
    int64_t tokenLifetime = 30 * 86400;
    // The wall clock for days, windows and expiry.
    std::function<std::chrono::system_clock::time_point()> now = [] { return std::chrono::system_clock::now(); };
};

// "HH:MM-HH:MM" (UTC) as minutes of the day; none when malformed. "24:00" ends a day.
std::optional<std::pair<int, int>> parseWindow(const std::string& text);

class GatewayService {
public:
    explicit GatewayService(Options options);
    ~GatewayService();  // stops
    GatewayService(const GatewayService&) = delete;
    GatewayService& operator=(const GatewayService&) = delete;

    // Binds 127.0.0.1 at the port of the options, alone; the port bound, or -1 with the
    // reason in `why` ("port 8787 is in use").
    int bind(std::string* why = nullptr);
    // Serves on the calling thread until stop() (from any thread); returns once every
    // request in flight has ended.
    void serve();
    // bind() and serve() in a thread of its own; the port, or -1.
    int start();
    // Stops serving; requests in flight are ended (a stalled stream stops stalling).
    void stop();

    int port() const;
    // "http://127.0.0.1:<port>/".
    std::string base() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nolby::service
