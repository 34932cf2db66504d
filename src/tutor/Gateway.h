#pragma once
// The client of the gateway service. Every request of the tutor and the painter goes
// through one authorised send: a JSON body posted to a path under the gateway's base
// address with the installation's bearer session token. A refused token is renewed and the
// request sent once more; the two limit replies (the day's allowance used up, the service
// resting) become failures the learner can read; every other reply goes back to the caller,
// who reads its body as it streams in, as bytes or as lines.
//
// Everything here runs on the main thread and never blocks it: the token and the network
// wait in background jobs of the Scheduler, and results come back through post().

#include "platform/Date.h"
#include "platform/Scheduler.h"
#include "tutor/Attestor.h"
#include "tutor/Http.h"
#include "tutor/TokenStore.h"

#include <nlohmann/json_fwd.hpp>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class Gateway {
public:
    class Failure;
    class Session;
    class Call;
    class Address;
    struct Reader;

    // The address of the local gateway (nolby-gateway's default port).
    static constexpr const char* builtInBase = "http://127.0.0.1:8787/";
    // A limit reply's body is read up to this many bytes, and no further.
    static constexpr size_t limitBodyMax = 30'000'001;

    // NOLBY_API from the environment when it is an absolute http(s) URL, else the built-in
    // address.
    static std::string defaultBase();
    // NOLBY_API from the environment when it is an absolute http(s) URL; none otherwise.
    static std::optional<std::string> namedBase();
    // The value as a base address when it is an absolute http or https URL; none otherwise.
    static std::optional<std::string> baseFrom(std::string_view value);
    // A path ("v1/messages") under a base address, appended as path components.
    static std::string url(const std::string& base, std::string_view path);

    // A "resetsAt" date-time: ISO 8601 with the time zone "Z", "+0100" or "+01:00", with
    // or without a fraction of a second. None for anything else.
    static std::optional<Date> date(std::string_view text);

    // The one gateway of a program: where it answers, its session and the scheduler every
    // request runs on.
    Gateway(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address, std::shared_ptr<Session> session);
    // A gateway with its own session over `store` and `attestor`, at a fixed base address or
    // at one found when the first request needs it.
    static std::shared_ptr<Gateway> make(std::shared_ptr<Scheduler> scheduler, std::string base,
                                         std::shared_ptr<TokenStore> store, std::shared_ptr<Attestor> attestor);
    static std::shared_ptr<Gateway> make(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address,
                                         std::shared_ptr<TokenStore> store, std::shared_ptr<Attestor> attestor);

    const std::shared_ptr<Address>& address() const { return address_; }
    const std::shared_ptr<Session>& session() const { return session_; }
    const std::shared_ptr<Scheduler>& scheduler() const { return scheduler_; }

    // Posts `json` to `path` with the bearer token, then the caller's headers (each replacing
    // a field of the same name). `timeout` is the idle time-out in seconds. A 401 renews the
    // token and sends once more; a second 401 goes to the reader like any other status. A
    // 429 or 503 ends in a Gateway::Failure. Whatever happens, the reader hears of it on
    // the main thread; the returned call cancels it. The call keeps itself alive until it
    // ends, so dropping the handle does not stop it; the reader's callbacks should hold
    // their owner weakly. Calls hold the scheduler weakly, so whoever owns the gateway owns
    // the scheduler; a call left when it is gone ends silently.
    std::shared_ptr<Call> send(std::string path, const nlohmann::json& json, Http::Headers headers, double timeout,
                               Reader reader);

private:
    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Address> address_;
    std::shared_ptr<Session> session_;
};

// Where the gateway answers: a base address fixed from the start, or one that is only found
// (a gateway looked for, or started) when a request first needs it.
class Gateway::Address {
public:
    virtual ~Address() = default;
    // A fixed base address.
    static std::shared_ptr<Address> fixed(std::string base);
    // The base address when it is settled and costs nothing to tell; none when resolve()
    // must run. Any thread.
    virtual std::optional<std::string> known() = 0;
    // The base address to send to now. It may block (a connection tried, a process
    // started), so it runs in background jobs only. A gateway that cannot be found gives an
    // address that fails as an unreachable one does.
    virtual std::string resolve() = 0;
};

// How the caller reads a reply. All callbacks run on the main thread.
struct Gateway::Reader {
    // The body as lines (cut at LF, CRLF and CR, ends removed) rather than as bytes.
    bool lines = false;
    // The reply's status (any but a first 401, 429 and 503), before any of its body.
    std::function<void(int status)> onResponse;
    // One piece of the body: bytes as they came, or one line.
    std::function<void(std::string_view piece)> onBody;
    // Once, last: null when the body ended; else a Gateway::Failure, an Http::Failure or
    // the token's failure. Never called after a cancel.
    std::function<void(std::exception_ptr error)> onEnd;
};

// One send in flight.
class Gateway::Call {
public:
    virtual ~Call() = default;
    // Stops the request: nothing more reaches the reader, the transfer is aborted.
    virtual void cancel() = 0;
    virtual bool cancelled() const = 0;
};

// The learner's texts for the gateway's own refusals. what() is the description in the
// user's locale and time zone at the moment the failure was made.
class Gateway::Failure : public std::runtime_error {
public:
    enum class Kind { allowance, resting, unreachable };

    explicit Failure(Kind kind, std::optional<Date> date = std::nullopt);

    Kind kind() const { return kind_; }
    // When the allowance resets or the service reopens; none when the gateway did not say.
    const std::optional<Date>& date() const { return date_; }
    // "tomorrow", or "at " and the time of day of the date in the short time style of the
    // user's locale and time zone.
    static std::string reopening(const std::optional<Date>& date);
    std::string description() const;

private:
    static std::string describe(Kind kind, const std::optional<Date>& date);
    Kind kind_;
    std::optional<Date> date_;
};

// The installation's session token: in memory, in the token store, or minted through the
// gateway's login. Concurrent callers share one mint; a failed mint stores nothing, so the
// next call mints again. Main thread only; the store and the login run in background jobs.
class Gateway::Session : public std::enable_shared_from_this<Session> {
public:
    // The token, or the error of a failed mint (never both).
    using Ready = std::function<void(std::optional<std::string> token, std::exception_ptr error)>;

    // The login requests' idle time-out, in seconds.
    static constexpr double loginTimeout = 60;

    Session(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address, std::shared_ptr<TokenStore> store,
            std::shared_ptr<Attestor> attestor);
    // A session logging in at a fixed base address.
    Session(std::shared_ptr<Scheduler> scheduler, std::string base, std::shared_ptr<TokenStore> store,
            std::shared_ptr<Attestor> attestor)
        : Session(std::move(scheduler), Address::fixed(std::move(base)), std::move(store), std::move(attestor)) {}

    // Hands over the token: at once when it is in memory, else once it has been read from
    // the store or minted.
    void token(Ready ready);
    // The gateway refused `token`. It leaves memory and the store only while it is still
    // the current one: a refusal that arrives late never discards a newer token.
    void forget(const std::string& token);
    // The token in memory.
    const std::optional<std::string>& cached() const { return cached_; }

private:
    struct Found;
    void lookup();
    void found(Found result);
    // Background: the stored token, or a new one from the gateway (throws a Failure).
    static Found fetch(Address& address, TokenStore& store, Attestor& attestor, const std::set<std::string>& refused);

    std::weak_ptr<Scheduler> scheduler_;  // weak: see Gateway::send
    std::shared_ptr<Address> address_;
    std::shared_ptr<TokenStore> store_;
    std::shared_ptr<Attestor> attestor_;
    std::optional<std::string> cached_;
    bool looking_ = false;             // a lookup (store, then mint) is running
    std::vector<Ready> waiting_;       // callers waiting for it
    std::set<std::string> refused_;    // tokens the gateway refused; never taken from the store again
};

}  // namespace nolby
