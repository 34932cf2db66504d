#include "ServiceImpl.h"

#include "ink/J.h"
#include "tutor/Base64.h"
#include "tutor/Sha256.h"

#include <openssl/rand.h>

#include <cstdio>

namespace nolby::service {

namespace {

// How many unused challenges are kept; older ones expire first.
constexpr size_t kMaxChallenges = 4096;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// The PNG's width and height from its header, or none.
std::optional<std::pair<uint32_t, uint32_t>> pngSize(const std::string& bytes) {
    static constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || bytes.compare(0, 8, reinterpret_cast<const char*>(signature), 8) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
        return v;
    };
    return std::make_pair(be32(16), be32(20));
}

}  // namespace

std::optional<json> parseObject(const std::string& text) {
    if (J::nestingDepth(text) > 64) return std::nullopt;
    json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return std::nullopt;
    return j;
}

json loggable(const json& body) {
    if (body.is_array()) {
        json out = json::array();
        for (const json& e : body) out.push_back(loggable(e));
        return out;
    }
    if (!body.is_object()) return body;
    json out = json::object();
    const bool image = body.contains("type") && body["type"] == "base64" && body.contains("data") && body["data"].is_string();
    for (auto it = body.begin(); it != body.end(); ++it) {
        if (image && it.key() == "data") {
            std::optional<std::string> bytes = Base64::decode(it.value().get<std::string>());
            std::optional<std::pair<uint32_t, uint32_t>> size = bytes ? pngSize(*bytes) : std::nullopt;
            out["data"] = size ? json{{"png", {size->first, size->second}}} : json{{"png", nullptr}};
        } else {
            out[it.key()] = loggable(it.value());
        }
    }
    return out;
}

std::string isoUtc(int64_t seconds) {
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    int64_t rest = seconds - days * 86400;
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return text;
}

std::string randomBytes(size_t count) {
    std::string out(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(count)) != 1)
        throw std::runtime_error("no random bytes");
    return out;
}

std::optional<std::pair<int, int>> parseWindow(const std::string& text) {
    int h1, m1, h2, m2;
    char tail;
    if (std::sscanf(text.c_str(), "%d:%d-%d:%d%c", &h1, &m1, &h2, &m2, &tail) != 4) return std::nullopt;
    auto minutes = [](int h, int m) { return h >= 0 && m >= 0 && m < 60 && (h < 24 || (h == 24 && m == 0)) ? h * 60 + m : -1; };
    const int from = minutes(h1, m1), to = minutes(h2, m2);
    if (from < 0 || to < 0 || from == to || from == 1440) return std::nullopt;
    return std::make_pair(from, to);
}

GatewayService::Impl::Impl(Options o) : options(std::move(o)) {
    if (!options.now) options.now = [] { return std::chrono::system_clock::now(); };
}

int64_t GatewayService::Impl::unixNow() const {
    return std::chrono::duration_cast<std::chrono::seconds>(options.now().time_since_epoch()).count();
}

void GatewayService::Impl::routes() {
    // Streams stall and relays wait: plenty of threads, so one slow reply never blocks the rest.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    server.set_tcp_nodelay(true);
    server.set_payload_max_length(options.maxBody);
    server.set_keep_alive_max_count(1000);
    auto route = [this](auto method) {
        return [this, method](const httplib::Request& req, httplib::Response& res) { (this->*method)(req, res); };
    };
    server.Post("/v1/challenge", route(&Impl::challenge));
    server.Post("/v1/attest", route(&Impl::attest));
    server.Post("/v1/messages", route(&Impl::messages));
    server.Post("/v1/paint", route(&Impl::paint));
    server.Post("/_control/queue", route(&Impl::controlQueue));
    server.Post("/_control/fault", route(&Impl::controlFault));
    server.Get("/_control/log", route(&Impl::controlLog));
    // Unknown paths and refused bodies say what went wrong in words.
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return;
        const char* text = res.status == 404   ? "No such path.\n"
                           : res.status == 413 ? "The request body is too large.\n"
                                               : "The request was not understood.\n";
        res.set_content(text, "text/plain; charset=utf-8");
    });
}

size_t GatewayService::Impl::record(const httplib::Request& req, const std::optional<json>& body) {
    json headers = json::object();
    // httplib files the connection's addresses among the headers; they were never sent.
    static const std::set<std::string> addresses = {"local_addr", "local_port", "remote_addr", "remote_port"};
    for (const auto& [name, value] : req.headers)
        if (!addresses.count(lower(name))) headers[lower(name)] = value;
    json entry = {{"path", req.path}, {"headers", headers}, {"status", nullptr}};
    if (body) entry["body"] = loggable(*body);
    else if (!req.body.empty()) entry["body"] = req.body.substr(0, 2000);
    else entry["body"] = nullptr;
    std::lock_guard lock(mutex);
    log.push_back(std::move(entry));
    return log.size() - 1;
}

void GatewayService::Impl::note(size_t entry, const char* key, json value) {
    std::lock_guard lock(mutex);
    log[entry][key] = std::move(value);
}

void GatewayService::Impl::answer(httplib::Response& res, size_t entry, int status, const std::string& text,
                                  const char* type) {
    res.status = status;
    res.set_content(text, type);
    note(entry, "status", status);
}

std::optional<std::string> GatewayService::Impl::bearer(const httplib::Request& req) {
    const std::string value = req.get_header_value("authorization");
    if (value.rfind("Bearer ", 0) != 0) return std::nullopt;
    std::string token = value.substr(7);
    std::lock_guard lock(mutex);
    if (!tokens.count(token)) return std::nullopt;
    return token;
}

bool GatewayService::Impl::resting(httplib::Response& res, size_t entry) {
    if (!options.rest) return false;
    const auto [from, to] = *options.rest;
    const int64_t now = unixNow();
    const int64_t day = (now >= 0 ? now : now - 86399) / 86400;
    const int minute = static_cast<int>((now - day * 86400) / 60);
    const bool in = from < to ? (minute >= from && minute < to) : (minute >= from || minute < to);
    if (!in) return false;
    // It reopens at the window's next end.
    int64_t reopens = day * 86400 + int64_t(to) * 60;
    if (reopens <= now) reopens += 86400;
    answer(res, entry, 503, json{{"error", "resting"}, {"resetsAt", isoUtc(reopens)}}.dump(), "application/json");
    return true;
}

std::vector<Fault> GatewayService::Impl::take(const std::set<std::string>& kinds) {
    std::lock_guard lock(mutex);
    std::vector<Fault> out;
    for (Fault& f : faults) {
        if (!kinds.count(f.kind) || f.times <= 0) continue;
        out.push_back(f);
        --f.times;
    }
    std::erase_if(faults, [](const Fault& f) { return f.times <= 0; });
    return out;
}

bool GatewayService::Impl::sleep(double seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (!stopping) {
        const Clock::duration left = end - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(20)));
    }
    return false;
}

void GatewayService::Impl::challenge(const httplib::Request& req, httplib::Response& res) {
    const size_t entry = record(req, std::nullopt);
    for (const Fault& f : take({"challenge-status"})) {
        const J j(f.settings);
        return answer(res, entry, static_cast<int>(std::clamp<int64_t>(j.int_("status", 500), 200, 599)),
                      j.str("text", "No challenge just now.\n"));
    }
    std::string text = Base64::encode(randomBytes(32));
    {
        std::lock_guard lock(mutex);
        challenges.insert(text);
        challengeOrder.push_back(text);
        while (challengeOrder.size() > kMaxChallenges) {
            challenges.erase(challengeOrder.front());
            challengeOrder.pop_front();
        }
    }
    answer(res, entry, 200, json{{"challenge", text}}.dump(), "application/json");
}

void GatewayService::Impl::attest(const httplib::Request& req, httplib::Response& res) {
    std::optional<json> body = parseObject(req.body);
    const size_t entry = record(req, body);
    if (!body) return answer(res, entry, 400, "The request body is not a JSON object.\n");
    if (!take({"attest-429"}).empty()) {
        const int64_t day = unixNow() / 86400;
        return answer(res, entry, 429, json{{"error", "allowance"}, {"resetsAt", isoUtc((day + 1) * 86400)}}.dump(),
                      "application/json");
    }
    const J j(*body);
    if (!j.bool_("unsupported", false)) {
        // The attested form: a key, a challenge this service issued and nobody used yet, and
        // an attestation made over that challenge's SHA-256.
        const std::string keyId = j.str("keyId", "");
        const std::string challenge = j.str("challenge", "");
        std::optional<std::string> bytes = Base64::decode(challenge);
        std::optional<std::string> attestation = Base64::decode(j.str("attestation", ""));
        bool issued = false;
        {
            std::lock_guard lock(mutex);
            issued = challenges.erase(challenge) > 0;
        }
        if (keyId.empty() || !bytes || !attestation || !issued ||
            attestation->find(sha256(*bytes)) == std::string::npos)
            return answer(res, entry, 401, "The attestation was not accepted.\n");
    }
    std::string token = "nolby-" + Base64::encode(randomBytes(24));
    for (char& c : token)
        if (c == '+' || c == '/') c = c == '+' ? '-' : '_';
    {
        std::lock_guard lock(mutex);
        tokens.insert(token);
    }
    answer(res, entry, 200, json{{"token", token}}.dump(), "application/json");
}

void GatewayService::Impl::controlQueue(const httplib::Request& req, httplib::Response& res) {
    std::optional<json> body = parseObject(req.body);
    const size_t entry = record(req, body);
    if (!body || !(*body)["text"].is_string())
        return answer(res, entry, 400, "Queue a reply as {\"text\": \"...\"}.\n");
    size_t queued;
    {
        std::lock_guard lock(mutex);
        queue.push_back((*body)["text"].get<std::string>());
        queued = queue.size();
    }
    answer(res, entry, 200, json{{"queued", queued}}.dump(), "application/json");
}

void GatewayService::Impl::controlFault(const httplib::Request& req, httplib::Response& res) {
    static const std::set<std::string> known = {
        "status", "refusal", "error", "cut", "stall", "crlf", "bare-data", "limit", "split", "attest-429", "challenge-status",
        "paint-status", "paint-empty", "paint-text", "paint-jpeg", "paint-huge", "paint-delay"};
    std::optional<json> body = parseObject(req.body);
    const size_t entry = record(req, body);
    const std::string kind = body && (*body)["kind"].is_string() ? (*body)["kind"].get<std::string>() : "";
    std::lock_guard lock(mutex);
    if (kind == "revoke") {
        tokens.clear();
    } else if (kind == "clear") {
        faults.clear();
        queue.clear();
    } else if (known.count(kind)) {
        const J j(*body);
        faults.push_back({kind, *body, std::max<int64_t>(j.int_("times", 1), 1)});
    } else {
        res.status = 400;
        res.set_content("Unknown fault. Send {\"kind\": ...} with one of the kinds in the README.\n",
                        "text/plain; charset=utf-8");
        log[entry]["status"] = 400;
        return;
    }
    res.status = 200;
    res.set_content(json{{"ok", true}}.dump(), "application/json");
    log[entry]["status"] = 200;
}

void GatewayService::Impl::controlLog(const httplib::Request&, httplib::Response& res) {
    std::string text;
    {
        std::lock_guard lock(mutex);
        text = log.dump(-1, ' ', false, json::error_handler_t::replace);
    }
    res.status = 200;
    res.set_content(text, "application/json");
}

GatewayService::GatewayService(Options options) : impl_(std::make_unique<Impl>(std::move(options))) { impl_->routes(); }

GatewayService::~GatewayService() { stop(); }

int GatewayService::bind() {
    if (impl_->port >= 0) return impl_->port;
    if (impl_->options.port == 0) impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    else if (impl_->server.bind_to_port("127.0.0.1", impl_->options.port)) impl_->port = impl_->options.port;
    return impl_->port;
}

void GatewayService::serve() {
    if (impl_->port >= 0) impl_->server.listen_after_bind();
}

int GatewayService::start() {
    if (bind() < 0) return -1;
    impl_->thread = std::thread([this] { serve(); });
    // stop() only reaches a server that runs; wait for it, so a quick stop cannot hang.
    for (int i = 0; i < 25000 && !impl_->server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return impl_->port;
}

void GatewayService::stop() {
    impl_->stopping = true;
    impl_->server.stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

int GatewayService::port() const { return impl_->port; }

std::string GatewayService::base() const { return "http://127.0.0.1:" + std::to_string(impl_->port) + "/"; }

}  // namespace nolby::service
