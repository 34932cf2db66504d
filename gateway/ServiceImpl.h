#pragma once
// The service's insides, shared by its source files.

#include "Allowance.h"
#include "EventStream.h"
#include "HttpServer.h"
#include "RequestLog.h"
#include "SessionToken.h"
#include "Service.h"

#include <nlohmann/json.hpp>

#include <deque>
#include <mutex>
#include <semaphore>
#include <set>
#include <thread>
#include <vector>

namespace nolby::service {

using json = nlohmann::json;

// A fault switched on through "_control/fault": its kind, its settings, and how many more
// requests it applies to.
struct Fault {
    std::string kind;
    json settings;
    int64_t times = 1;
};

// How one reply stream is written out.
struct WritePlan {
    std::optional<size_t> cutAfter;    // close the connection after this many events
    std::optional<size_t> stallAfter;  // then send nothing for stallSeconds
    double stallSeconds = 10;
    size_t split = 0;  // write pieces of exactly this many bytes; 0: pieces cut anywhere
    double pace = 0;   // seconds after each text piece
    uint64_t seed = 0;
};

struct GatewayService::Impl {
    using Handler = void (Impl::*)(const HttpRequest&, HttpResponse&);
    struct Route {
        const char* method;
        const char* path;
        Handler handler;
        bool token;    // asks for a valid bearer token
        bool control;  // exists only with the control paths on
    };

    explicit Impl(Options o);

    Options options;
    std::unique_ptr<HttpServer> server;
    std::thread thread;
    int port = -1;

    RequestLog log;
    std::shared_ptr<GatewayState> state;
    std::string secret;
    Allowance allowance;
    // Paintings made at once: each takes a core and a few megabytes while it is made, so
    // more at once would only spend memory.
    std::counting_semaphore<64> painters;

    std::mutex mutex;  // guards everything below
    std::deque<std::string> queue;
    std::vector<Fault> faults;

    // The route of a request's method and path, or none (unknown, or a control path with
    // the control paths off).
    const Route* route(const HttpRequest& req) const;
    // Refuses, before its body is read, a request to a foreign host, from a web page, to no
    // route or without a valid token; lowers the body limit of the logins.
    std::optional<HttpResponse> screen(const HttpRequest& head, size_t& maxBody);
    void handle(const HttpRequest& req, HttpResponse& res);

    // Paths.
    void challenge(const HttpRequest& req, HttpResponse& res);
    void attest(const HttpRequest& req, HttpResponse& res);
    void messages(const HttpRequest& req, HttpResponse& res);
    void paint(const HttpRequest& req, HttpResponse& res);
    void controlQueue(const HttpRequest& req, HttpResponse& res);
    void controlFault(const HttpRequest& req, HttpResponse& res);
    void controlLog(const HttpRequest& req, HttpResponse& res);

    // The reply from the model behind the relay, piped as it arrives; the lesson (if any)
    // is charged once it streams.
    void relay(json body, uint64_t entry, HttpResponse& res, std::shared_ptr<Allowance::Hold> lesson);
    // Streams the reply's events with the plan's cuts, stalls and pieces. The reply text is
    // made only once the opening events are on their way, so the first line never waits
    // for it. The lesson (if any) is charged as the stream starts.
    void stream(HttpResponse& res, uint64_t entry, StreamShape shape, WritePlan plan, std::function<std::string()> text,
                std::shared_ptr<Allowance::Hold> lesson);

    // Request log: an entry per request, filled in as its answer is decided and sent.
    // The body is logged as JSON when given, else as the start of its text; not at all
    // without `withBody`.
    uint64_t record(const HttpRequest& req, const std::optional<json>& body, bool withBody = true);
    void note(uint64_t entry, const char* key, json value);
    void answer(HttpResponse& res, uint64_t entry, int status, const std::string& text,
                const char* type = "text/plain; charset=utf-8");
    // Answers with a refusal, logged without the request's body.
    void refuse(HttpResponse& res, const HttpRequest& req, int status, const std::string& text);

    // The token of a bearer header that this service's secret signed and that has not
    // expired, or none. Asks nothing of the state, so it serves to screen heads.
    std::optional<SessionToken> bearer(const HttpRequest& req) const;
    // The same, and not revoked: what a request needs to be answered.
    std::optional<SessionToken> admitted(const HttpRequest& req);
    // Answers 503 when resting now; true when it did.
    bool resting(HttpResponse& res, uint64_t entry);
    // The faults of these kinds that are on, each used once.
    std::vector<Fault> take(const std::set<std::string>& kinds);
    // Waits, waking early when the service stops; false when it stopped.
    bool sleep(double seconds);
    bool stopping() const { return server->stopping(); }

    int64_t unixNow() const;
    int64_t today() const;  // days since 1970, UTC
};

// A request body as a JSON object, or none (not JSON, not an object, nested too deeply).
std::optional<json> parseObject(const std::string& text);
// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ".
std::string isoUtc(int64_t seconds);
// What of an error body of the model's API may be quoted to the app: its error's message
// (else its text) on one line, every word that could be a secret (the key `key` or a piece
// of it, anything shaped like a key or a token) hidden, cut to a short excerpt.
std::string upstreamExcerpt(const std::string& body, const std::string& key);
// Random bytes from OpenSSL.
std::string randomBytes(size_t count);
// Bytes as lower-case hexadecimal digits.
std::string hex(std::string_view bytes);

}  // namespace nolby::service
