#include "ServiceImpl.h"

#include "ink/J.h"
#include "tutor/Base64.h"
#include "tutor/Sha256.h"

#include <openssl/rand.h>

#include <cstdio>
#include <iostream>

namespace nolby::service {

namespace {

// Seconds a challenge may be used in: the app attests over it at once.
constexpr int64_t kChallengeLifetime = 300;
// A login's body (no token needed to send one) may not pass this.
constexpr size_t kMaxLoginBody = 64 * 1024;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

}  // namespace

std::optional<json> parseObject(const std::string& text) {
    if (J::nestingDepth(text) > 64) return std::nullopt;
    json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return std::nullopt;
    return j;
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

GatewayService::Impl::Impl(Options o)
    : options(std::move(o)),
      state(options.state ? options.state : memoryState()),
      secret(options.secret.empty() ? randomBytes(32) : options.secret),
      allowance(state, options.allowance),
      painters(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 64)) {
    if (!options.now) options.now = [] { return std::chrono::system_clock::now(); };
    HttpLimits limits;
    limits.headerDeadline = options.headerDeadline;
    limits.bodyDeadline = options.bodyDeadline;
    limits.maxBody = options.maxBody;
    limits.perClient = std::max(options.clientConnections, 1);
    server = std::make_unique<HttpServer>(
        limits, [this](const HttpRequest& head, size_t& maxBody) { return screen(head, maxBody); },
        [this](const HttpRequest& req, HttpResponse& res) { handle(req, res); });
}

int64_t GatewayService::Impl::unixNow() const {
    return std::chrono::duration_cast<std::chrono::seconds>(options.now().time_since_epoch()).count();
}

int64_t GatewayService::Impl::today() const {
    const int64_t now = unixNow();
    return (now >= 0 ? now : now - 86399) / 86400;
}

const GatewayService::Impl::Route* GatewayService::Impl::route(const HttpRequest& req) const {
    static const Route routes[] = {
        {"POST", "/v1/challenge", &Impl::challenge, false, false},
        {"POST", "/v1/attest", &Impl::attest, false, false},
        {"POST", "/v1/messages", &Impl::messages, true, false},
        {"POST", "/v1/paint", &Impl::paint, true, false},
        {"POST", "/_control/queue", &Impl::controlQueue, false, true},
        {"POST", "/_control/fault", &Impl::controlFault, false, true},
        {"GET", "/_control/log", &Impl::controlLog, false, true},
    };
    for (const Route& r : routes)
        if (req.path == r.path && req.method == r.method && (options.control || !r.control)) return &r;
    return nullptr;
}

std::optional<HttpResponse> GatewayService::Impl::screen(const HttpRequest& head, size_t& maxBody) {
    auto refused = [&](int status, const std::string& text) {
        HttpResponse res;
        refuse(res, head, status, text);
        return std::optional<HttpResponse>(std::move(res));
    };
    // A page that rebinds its own name to 127.0.0.1 still sends its own name as Host.
    const std::string at = ":" + std::to_string(port);
    const std::string host = lower(head.header("host"));
    if (head.count("host") != 1 || (host != "127.0.0.1" + at && host != "localhost" + at))
        return refused(403, "This service answers only at 127.0.0.1" + at + " and localhost" + at + ".\n");
    // Browsers mark every request a page makes that could change something with its Origin;
    // the app and tests never send one.
    if (head.count("origin") > 0) return refused(403, "This service does not answer web pages.\n");
    const Route* r = route(head);
    if (!r) return refused(404, "No such path.\n");
    if (r->token && !bearer(head)) return refused(401, "The session token was not accepted.\n");
    if (!r->token && !r->control) maxBody = std::min(maxBody, kMaxLoginBody);
    return std::nullopt;
}

void GatewayService::Impl::handle(const HttpRequest& req, HttpResponse& res) {
    const Route* r = route(req);
    if (!r) return res.set(404, "No such path.\n");
    try {
        (this->*(r->handler))(req, res);
    } catch (const StateError& e) {
        // The app reads this as the service being out of reach, and tries again later.
        std::cerr << "nolby-gateway: " << e.what() << std::endl;
        res = HttpResponse();
        refuse(res, req, 503, "The gateway's state is out of reach just now.\n");
    }
}

uint64_t GatewayService::Impl::record(const HttpRequest& req, const std::optional<json>& body, bool withBody) {
    json headers = json::object();
    for (const auto& [name, value] : req.headers) headers[name] = value;
    json entry = {{"path", req.path}, {"headers", headers}, {"status", nullptr}};
    bool cut = false;
    if (!withBody) {
        entry["body"] = nullptr;
    } else if (body) {
        entry["body"] = loggable(*body, options.logBody, cut);
    } else if (!req.body.empty()) {
        const size_t keep = std::min({req.body.size(), options.logBody, size_t(2000)});
        entry["body"] = req.body.substr(0, keep);
        cut = keep < req.body.size();
    } else {
        entry["body"] = nullptr;
    }
    if (cut) entry["cut"] = true;
    return log.add(std::move(entry));
}

void GatewayService::Impl::note(uint64_t entry, const char* key, json value) { log.note(entry, key, std::move(value)); }

void GatewayService::Impl::answer(HttpResponse& res, uint64_t entry, int status, const std::string& text,
                                  const char* type) {
    res.set(status, text, type);
    note(entry, "status", status);
}

void GatewayService::Impl::refuse(HttpResponse& res, const HttpRequest& req, int status, const std::string& text) {
    answer(res, record(req, std::nullopt, false), status, text);
}

std::optional<SessionToken> GatewayService::Impl::bearer(const HttpRequest& req) const {
    const std::string value = req.header("authorization");
    if (value.rfind("Bearer ", 0) != 0) return std::nullopt;
    std::optional<SessionToken> token = SessionToken::verify(std::string_view(value).substr(7), secret);
    if (!token || token->expires <= unixNow()) return std::nullopt;
    return token;
}

std::optional<SessionToken> GatewayService::Impl::admitted(const HttpRequest& req) {
    std::optional<SessionToken> token = bearer(req);
    if (!token || !state->accepts(token->installation, token->epoch, unixNow())) return std::nullopt;
    return token;
}

bool GatewayService::Impl::resting(HttpResponse& res, uint64_t entry) {
    if (!options.rest) return false;
    const auto [from, to] = *options.rest;
    const int64_t now = unixNow();
    const int64_t day = today();
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
    while (!stopping()) {
        const Clock::duration left = end - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(20)));
    }
    return false;
}

void GatewayService::Impl::challenge(const HttpRequest& req, HttpResponse& res) {
    const uint64_t entry = record(req, std::nullopt);
    for (const Fault& f : take({"challenge-status"})) {
        const J j(f.settings);
        return answer(res, entry, static_cast<int>(std::clamp<int64_t>(j.int_("status", 500), 200, 599)),
                      j.str("text", "No challenge just now.\n"));
    }
    std::string text = Base64::encode(randomBytes(32));
    state->issueChallenge(text, unixNow(), kChallengeLifetime);
    answer(res, entry, 200, json{{"challenge", text}}.dump(), "application/json");
}

void GatewayService::Impl::attest(const HttpRequest& req, HttpResponse& res) {
    std::optional<json> body = parseObject(req.body);
    const uint64_t entry = record(req, body);
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
        const bool issued = !challenge.empty() && challenge.size() <= 64 && state->useChallenge(challenge, unixNow());
        if (keyId.empty() || !bytes || !attestation || !issued ||
            attestation->find(sha256(*bytes)) == std::string::npos)
            return answer(res, entry, 401, "The attestation was not accepted.\n");
    }
    // Each login is an installation of its own, with its own allowance.
    const SessionToken token{hex(randomBytes(16)), unixNow() + options.tokenLifetime, state->epoch()};
    answer(res, entry, 200, json{{"token", token.sign(secret)}}.dump(), "application/json");
}

void GatewayService::Impl::controlQueue(const HttpRequest& req, HttpResponse& res) {
    std::optional<json> body = parseObject(req.body);
    const uint64_t entry = record(req, body);
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

void GatewayService::Impl::controlFault(const HttpRequest& req, HttpResponse& res) {
    static const std::set<std::string> known = {
        "status", "refusal", "error", "cut", "stall", "crlf", "bare-data", "limit", "split", "attest-429", "challenge-status",
        "paint-status", "paint-empty", "paint-text", "paint-jpeg", "paint-huge", "paint-delay"};
    std::optional<json> body = parseObject(req.body);
    const uint64_t entry = record(req, body);
    const std::string kind = body && (*body)["kind"].is_string() ? (*body)["kind"].get<std::string>() : "";
    if (kind == "revoke") {
        // Every token, or one installation's ({"token": ...}), on every gateway sharing the state.
        const J j(*body);
        if (!j.has("token")) {
            state->revokeAll();
        } else {
            std::optional<SessionToken> token = SessionToken::verify(j.str("token", ""), secret);
            if (!token) return answer(res, entry, 400, "That is not a token of this service.\n");
            state->revoke(token->installation, unixNow(), token->expires);
        }
        return answer(res, entry, 200, json{{"ok", true}}.dump(), "application/json");
    }
    {
        std::lock_guard lock(mutex);
        if (kind == "clear") {
            faults.clear();
            queue.clear();
        } else if (known.count(kind)) {
            const J j(*body);
            faults.push_back({kind, *body, std::max<int64_t>(j.int_("times", 1), 1)});
        } else {
            return answer(res, entry, 400, "Unknown fault. Send {\"kind\": ...} with one of the kinds in the README.\n");
        }
    }
    answer(res, entry, 200, json{{"ok", true}}.dump(), "application/json");
}

void GatewayService::Impl::controlLog(const HttpRequest&, HttpResponse& res) { res.set(200, log.dump(), "application/json"); }

GatewayService::GatewayService(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

GatewayService::~GatewayService() { stop(); }

int GatewayService::bind(std::string* why) {
    if (impl_->port >= 0) return impl_->port;
    std::string reason;
    impl_->port = impl_->server->bind(impl_->options.port, reason);
    if (impl_->port < 0 && why) *why = reason;
    return impl_->port;
}

void GatewayService::serve() { impl_->server->serve(); }

int GatewayService::start() {
    if (bind() < 0) return -1;
    if (!impl_->thread.joinable()) impl_->thread = std::thread([this] { serve(); });
    return impl_->port;
}

void GatewayService::stop() {
    impl_->server->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

int GatewayService::port() const { return impl_->port; }

std::string GatewayService::base() const { return "http://127.0.0.1:" + std::to_string(impl_->port) + "/"; }

}  // namespace nolby::service
