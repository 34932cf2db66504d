// The state in a Redis server, shared by any number of gateways. Each change is one command
// or one script, which Redis runs alone, so gateways never see each other's changes half
// made:
//   nolby:challenge:<text>          its expiry; SET NX with the challenge's lifetime, used
//                                   by a script that reads and deletes it in one step
//   nolby:lessons:<installation>:<day>  lessons taken; a script INCRs it only while under
//                                   the limit, and it expires at the next UTC midnight
//   nolby:epoch                     INCR starts a new epoch
//   nolby:revoked:<installation>    until when; expires then
// Keys expire by Redis's clock; whether an entry still counts is judged by the gateway's.

#include "GatewayState.h"

#include <hiredis/hiredis.h>

#include <poll.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace nolby::service {

namespace {

constexpr int kConnectSeconds = 2;
constexpr int kCommandSeconds = 5;
// Connections kept open to the server; a request waits when all are busy.
constexpr size_t kMaxConnections = 32;

constexpr const char* kTakeLesson = R"(
local taken = tonumber(redis.call('GET', KEYS[1]) or '0')
if ARGV[1] ~= '' and taken >= tonumber(ARGV[1]) then return 0 end
if redis.call('INCR', KEYS[1]) == 1 then redis.call('EXPIRE', KEYS[1], ARGV[2]) end
return 1)";

constexpr const char* kGiveBackLesson = R"(
if tonumber(redis.call('GET', KEYS[1]) or '0') > 0 then redis.call('DECR', KEYS[1]) end
return 0)";

constexpr const char* kUseChallenge = R"(
local expires = redis.call('GET', KEYS[1])
if not expires then return 0 end
redis.call('DEL', KEYS[1])
if tonumber(expires) > tonumber(ARGV[1]) then return 1 end
return 0)";

constexpr const char* kRevoke = R"(
if tonumber(ARGV[1]) > tonumber(redis.call('GET', KEYS[1]) or '0') then
  redis.call('SET', KEYS[1], ARGV[1], 'EX', ARGV[2])
end
return 0)";

struct Address {
    std::string host;
    int port = 6379;
    int db = 0;
};

std::optional<int> digits(const std::string& text, int most) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int n = std::stoi(text);
    return n <= most ? std::optional<int>(n) : std::nullopt;
}

Address parse(const std::string& url) {
    const StateError wrong("the Redis address must read redis://host[:port][/db], not \"" + url + "\"");
    const std::string scheme = "redis://";
    if (url.rfind(scheme, 0) != 0) throw wrong;
    std::string rest = url.substr(scheme.size());
    Address a;
    const size_t slash = rest.find('/');
    if (slash != std::string::npos) {
        const std::string db = rest.substr(slash + 1);
        rest.resize(slash);
        if (!db.empty()) {
            std::optional<int> n = digits(db, 1 << 20);
            if (!n) throw wrong;
            a.db = *n;
        }
    }
    size_t colon = rest.rfind(':');
    if (!rest.empty() && rest.front() == '[') {  // [IPv6]
        const size_t close = rest.find(']');
        if (close == std::string::npos) throw wrong;
        a.host = rest.substr(1, close - 1);
        colon = close + 1 < rest.size() && rest[close + 1] == ':' ? close + 1 : std::string::npos;
        if (colon == std::string::npos && close + 1 != rest.size()) throw wrong;
    } else {
        a.host = rest.substr(0, colon);
        if (a.host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-") != std::string::npos)
            throw wrong;
    }
    if (colon != std::string::npos) {
        std::optional<int> port = digits(rest.substr(colon + 1), 65535);
        if (!port || *port == 0) throw wrong;
        a.port = *port;
    }
    if (a.host.empty()) throw wrong;
    return a;
}

struct ReplyFree {
    void operator()(redisReply* r) const { freeReplyObject(r); }
};
using Reply = std::unique_ptr<redisReply, ReplyFree>;

class RedisState final : public GatewayState {
public:
    explicit RedisState(const std::string& url) : url_(url), address_(parse(url)) {
        // Reaching it now says at start, not at the first request, when it cannot be reached.
        Lease c(*this);
        c.command({"PING"});
    }
    ~RedisState() override {
        for (redisContext* c : idle_) redisFree(c);
    }

    void issueChallenge(const std::string& challenge, int64_t now, int64_t lifetime) override {
        if (lifetime <= 0) return;
        Lease(*this).command({"SET", "nolby:challenge:" + challenge, std::to_string(now + lifetime), "NX", "EX",
                              std::to_string(lifetime)});
    }

    bool useChallenge(const std::string& challenge, int64_t now) override {
        return script(kUseChallenge, "nolby:challenge:" + challenge, {std::to_string(now)}) == 1;
    }

    bool takeLesson(const std::string& installation, int64_t day, std::optional<int64_t> limit, int64_t now) override {
        const int64_t untilMidnight = std::max<int64_t>((day + 1) * 86400 - now, 1);
        return script(kTakeLesson, lessonKey(installation, day),
                      {limit ? std::to_string(*limit) : "", std::to_string(untilMidnight)}) == 1;
    }

    void giveBackLesson(const std::string& installation, int64_t day) override {
        script(kGiveBackLesson, lessonKey(installation, day), {});
    }

    int64_t epoch() override { return number(Lease(*this).command({"GET", "nolby:epoch"}).get()); }

    void revokeAll() override { Lease(*this).command({"INCR", "nolby:epoch"}); }

    void revoke(const std::string& installation, int64_t now, int64_t until) override {
        if (until <= now) return;
        script(kRevoke, "nolby:revoked:" + installation, {std::to_string(until), std::to_string(until - now)});
    }

    bool accepts(const std::string& installation, int64_t epoch, int64_t now) override {
        Reply r = Lease(*this).command({"MGET", "nolby:epoch", "nolby:revoked:" + installation});
        if (r->type != REDIS_REPLY_ARRAY || r->elements != 2) throw StateError("Redis at " + url_ + " answered MGET oddly");
        return epoch >= number(r->element[0]) && number(r->element[1]) <= now;
    }

private:
    std::string url_;
    Address address_;
    std::mutex mutex_;
    std::condition_variable freed_;
    std::vector<redisContext*> idle_;
    size_t open_ = 0;  // idle and leased

    static std::string lessonKey(const std::string& installation, int64_t day) {
        return "nolby:lessons:" + installation + ":" + std::to_string(day);
    }

    // An integer reply, or a string holding one; nil is 0.
    int64_t number(const redisReply* r) const {
        if (r->type == REDIS_REPLY_INTEGER) return r->integer;
        if (r->type == REDIS_REPLY_NIL) return 0;
        if (r->type == REDIS_REPLY_STRING) {
            try {
                return std::stoll(std::string(r->str, r->len));
            } catch (const std::exception&) {
            }
        }
        throw StateError("Redis at " + url_ + " holds something other than a number");
    }

    int64_t script(const char* body, const std::string& key, std::vector<std::string> args) {
        std::vector<std::string> command = {"EVAL", body, "1", key};
        command.insert(command.end(), args.begin(), args.end());
        return number(Lease(*this).command(command).get());
    }

    // One connection, taken from the pool and returned to it, or dropped when it broke.
    class Lease {
    public:
        explicit Lease(RedisState& state) : state_(state), c_(state.take()) {}
        ~Lease() { state_.give(c_); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        Reply command(const std::vector<std::string>& args) {
            std::vector<const char*> argv;
            std::vector<size_t> lengths;
            for (const std::string& a : args) {
                argv.push_back(a.data());
                lengths.push_back(a.size());
            }
            Reply r(static_cast<redisReply*>(redisCommandArgv(c_, static_cast<int>(argv.size()), argv.data(), lengths.data())));
            if (!r) {
                const std::string why = c_->errstr;
                redisFree(c_);
                c_ = nullptr;
                throw StateError("Redis at " + state_.url_ + ": " + (why.empty() ? "no answer" : why));
            }
            if (r->type == REDIS_REPLY_ERROR) throw StateError("Redis at " + state_.url_ + ": " + std::string(r->str, r->len));
            return r;
        }

    private:
        RedisState& state_;
        redisContext* c_;
    };

    redisContext* take() {
        {
            std::unique_lock lock(mutex_);
            freed_.wait(lock, [&] { return !idle_.empty() || open_ < kMaxConnections; });
            while (!idle_.empty()) {
                redisContext* c = idle_.back();
                idle_.pop_back();
                // An idle connection has nothing to read: anything there means the server
                // closed it (it restarted, or timed the connection out).
                pollfd p{c->fd, POLLIN | POLLRDHUP, 0};
                if (::poll(&p, 1, 0) == 0) return c;
                redisFree(c);
                --open_;
            }
            ++open_;
        }
        try {
            return connect();
        } catch (...) {
            std::lock_guard lock(mutex_);
            --open_;
            freed_.notify_one();
            throw;
        }
    }

    void give(redisContext* c) {
        std::lock_guard lock(mutex_);
        if (c) idle_.push_back(c);
        else --open_;
        freed_.notify_one();
    }

    redisContext* connect() const {
        redisContext* c = redisConnectWithTimeout(address_.host.c_str(), address_.port, timeval{kConnectSeconds, 0});
        std::string why;
        if (!c || c->err) {
            why = c ? c->errstr : "out of memory";
        } else {
            redisSetTimeout(c, timeval{kCommandSeconds, 0});
            if (address_.db != 0) {
                const std::string db = std::to_string(address_.db);
                Reply r(static_cast<redisReply*>(redisCommand(c, "SELECT %s", db.c_str())));
                if (!r || r->type == REDIS_REPLY_ERROR) why = r ? std::string(r->str, r->len) : std::string(c->errstr);
            }
        }
        if (why.empty()) return c;
        if (c) redisFree(c);
        throw StateError("Redis at " + url_ + " cannot be reached: " + why);
    }
};

}  // namespace

std::shared_ptr<GatewayState> redisState(const std::string& url) { return std::make_shared<RedisState>(url); }

}  // namespace nolby::service
