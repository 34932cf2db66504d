#pragma once
// The service's insides, shared by its source files.

#include "EventStream.h"
#include "Service.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
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
    explicit Impl(Options o);

    Options options;
    httplib::Server server;
    std::thread thread;
    int port = -1;
    std::atomic<bool> stopping{false};

    std::mutex mutex;  // guards everything below
    std::set<std::string> tokens;
    std::set<std::string> challenges;  // issued, not yet used (Base64 text)
    std::deque<std::string> challengeOrder;
    std::map<std::pair<std::string, int64_t>, int64_t> lessons;  // (token, UTC day) -> lessons
    std::deque<std::string> queue;
    std::vector<Fault> faults;
    json log = json::array();

    void routes();

    // Paths.
    void challenge(const httplib::Request& req, httplib::Response& res);
    void attest(const httplib::Request& req, httplib::Response& res);
    void messages(const httplib::Request& req, httplib::Response& res);
    void paint(const httplib::Request& req, httplib::Response& res);
    void controlQueue(const httplib::Request& req, httplib::Response& res);
    void controlFault(const httplib::Request& req, httplib::Response& res);
    void controlLog(const httplib::Request& req, httplib::Response& res);

    // The reply from the model behind the relay, piped as it arrives.
    void relay(json body, size_t entry, httplib::Response& res);
    // Streams the reply's events with the plan's cuts, stalls and pieces. The reply text is
    // made only once the opening events are on their way, so the first line never waits
    // for it.
    void stream(httplib::Response& res, size_t entry, StreamShape shape, WritePlan plan,
                std::function<std::string()> text);

    // Request log: an entry per request, filled in as its answer is decided and sent.
    size_t record(const httplib::Request& req, const std::optional<json>& body);
    void note(size_t entry, const char* key, json value);
    void answer(httplib::Response& res, size_t entry, int status, const std::string& text,
                const char* type = "text/plain; charset=utf-8");

    // The token of a valid bearer header, or none.
    std::optional<std::string> bearer(const httplib::Request& req);
    // Answers 503 when resting now; true when it did.
    bool resting(httplib::Response& res, size_t entry);
    // The faults of these kinds that are on, each used once.
    std::vector<Fault> take(const std::set<std::string>& kinds);
    // Waits, waking early when the service stops; false when it stopped.
    bool sleep(double seconds);

    int64_t unixNow() const;
};

// A request body as a JSON object, or none (not JSON, not an object, nested too deeply).
std::optional<json> parseObject(const std::string& text);
// The body for the log: image data replaced by the PNG's width and height.
json loggable(const json& body);
// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ".
std::string isoUtc(int64_t seconds);
// Random bytes from OpenSSL.
std::string randomBytes(size_t count);

}  // namespace nolby::service
