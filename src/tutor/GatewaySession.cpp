#include "tutor/Gateway.h"

#include "ink/J.h"
#include "tutor/Base64.h"
#include "tutor/Sha256.h"

#include <nlohmann/json.hpp>

namespace nolby {

// What a lookup found: a token (read or minted) or the mint's error.
struct Gateway::Session::Found {
    std::optional<std::string> token;
    std::exception_ptr error;
};

namespace {

using Kind = Gateway::Failure::Kind;

// Login replies are small; anything longer is cut here and then fails to parse.
constexpr size_t kLoginReplyMax = size_t(1) << 20;

Http::Reply post(const std::string& base, std::string_view path, std::optional<std::string> body) {
    Http::Request r;
    r.url = Gateway::url(base, path);
    if (body) r.headers.push_back({"content-type", "application/json"});
    r.body = std::move(body);
    r.timeout = Gateway::Session::loginTimeout;
    return Http::fetch(r, kLoginReplyMax);
}

// The one-time challenge's bytes; none for any failure (the login falls back to the
// unsupported form).
std::optional<std::string> fetchChallenge(const std::string& base) {
    Http::Reply reply = post(base, "v1/challenge", std::nullopt);
    if (reply.failure || reply.status != 200) return std::nullopt;
    std::optional<J> j = J::parse(reply.body);
    const nlohmann::json* challenge = j ? j->subscript("challenge") : nullptr;
    if (!challenge || !challenge->is_string()) return std::nullopt;
    return Base64::decode(challenge->get<std::string>());
}

// Posts a login body; the token granted, or a Failure thrown.
std::string attest(const std::string& base, const nlohmann::json& body) {
    Http::Reply reply = post(base, "v1/attest", body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    if (reply.failure) throw Gateway::Failure(Kind::unreachable);
    if (reply.status == 429) throw Gateway::Failure(Kind::allowance);
    std::optional<J> j = reply.status == 200 ? J::parse(reply.body) : std::nullopt;
    const nlohmann::json* token = j ? j->subscript("token") : nullptr;
    if (!token || !token->is_string() || token->get<std::string>().empty()) throw Gateway::Failure(Kind::unreachable);
    return token->get<std::string>();
}

// A new token: the attested login when this device can prove itself, else (or when any
// step of the proof fails) the unsupported login. Every mint makes a new key.
std::string mint(const std::string& base, Attestor& attestor) {
    const nlohmann::json unsupported = {{"unsupported", true}};
    if (!attestor.supported()) return attest(base, unsupported);
    std::optional<std::string> keyId = attestor.generateKey();
    if (!keyId) return attest(base, unsupported);
    std::optional<std::string> challenge = fetchChallenge(base);
    if (!challenge) return attest(base, unsupported);
    std::optional<std::string> attestation = attestor.attestKey(*keyId, sha256(*challenge));
    if (!attestation) return attest(base, unsupported);
    return attest(base, {{"keyId", *keyId},
                         {"challenge", Base64::encode(*challenge)},
                         {"attestation", Base64::encode(*attestation)}});
}

}  // namespace

Gateway::Session::Session(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address,
                          std::shared_ptr<TokenStore> store, std::shared_ptr<Attestor> attestor)
    : scheduler_(std::move(scheduler)), address_(std::move(address)), store_(std::move(store)),
      attestor_(attestor ? std::move(attestor) : Attestor::unsupported()) {}

void Gateway::Session::token(Ready ready) {
    if (cached_) return ready(cached_, nullptr);
    waiting_.push_back(std::move(ready));
    if (!looking_) lookup();
}

void Gateway::Session::forget(const std::string& token) {
    refused_.insert(token);
    if (cached_ == token) cached_.reset();
}

void Gateway::Session::lookup() {
    std::shared_ptr<Scheduler> owner = scheduler_.lock();
    if (!owner) {
        // The program is closing: no answer can come back, so nobody is left waiting for one.
        waiting_.clear();
        return;
    }
    looking_ = true;
    std::weak_ptr<Session> weak = weak_from_this();
    Scheduler* scheduler = owner.get();  // outlives the jobs it runs
    scheduler->background([weak, scheduler, address = address_, store = store_, attestor = attestor_, refused = refused_] {
        Found found;
        try {
            found = fetch(*address, *store, *attestor, refused);
        } catch (...) {
            found.error = std::current_exception();
        }
        scheduler->post([weak, found = std::move(found)]() mutable {
            if (auto self = weak.lock()) self->found(std::move(found));
        });
    });
}

Gateway::Session::Found Gateway::Session::fetch(Address& address, TokenStore& store, Attestor& attestor,
                                                const std::set<std::string>& refused) {
    // A refused token leaves the store before anything is read, so it never comes back.
    for (const std::string& gone : refused) store.eraseIf(gone);
    if (std::optional<std::string> stored = store.read()) return {stored, nullptr};
    std::string token = mint(address.resolve(), attestor);
    store.write(token);  // a failed write leaves the token in memory only
    return {token, nullptr};
}

void Gateway::Session::found(Found result) {
    looking_ = false;
    if (result.token) cached_ = result.token;
    std::vector<Ready> waiting;
    waiting.swap(waiting_);
    for (Ready& ready : waiting) {
        if (result.token) ready(result.token, nullptr);
        else ready(std::nullopt, result.error ? result.error : std::make_exception_ptr(Failure(Kind::unreachable)));
    }
}

}  // namespace nolby
