#include "tutor/Gateway.h"

#include "ink/J.h"
#include "tutor/LineSplitter.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

namespace nolby {

namespace {

// A CURLU handle for reading and building URLs with libcurl's own parser.
class Url {
public:
    Url() : h_(curl_url()) {}
    ~Url() { curl_url_cleanup(h_); }
    Url(const Url&) = delete;
    Url& operator=(const Url&) = delete;

    bool set(CURLUPart part, const std::string& value) { return h_ && curl_url_set(h_, part, value.c_str(), 0) == CURLUE_OK; }
    std::optional<std::string> get(CURLUPart part) const {
        char* out = nullptr;
        if (!h_ || curl_url_get(h_, part, &out, 0) != CURLUE_OK || !out) return std::nullopt;
        std::string s(out);
        curl_free(out);
        return s;
    }

private:
    CURLU* h_;
};

}  // namespace

std::optional<std::string> Gateway::baseFrom(std::string_view value) {
    if (value.empty()) return std::nullopt;
    Url u;
    if (!u.set(CURLUPART_URL, std::string(value))) return std::nullopt;
    std::optional<std::string> scheme = u.get(CURLUPART_SCHEME);
    std::optional<std::string> host = u.get(CURLUPART_HOST);
    if (!scheme || (*scheme != "http" && *scheme != "https") || !host || host->empty()) return std::nullopt;
    return u.get(CURLUPART_URL);
}

std::optional<std::string> Gateway::namedBase() {
    const char* v = std::getenv("NOLBY_API");
    return v ? baseFrom(v) : std::nullopt;
}

std::string Gateway::defaultBase() { return namedBase().value_or(builtInBase); }

std::string Gateway::url(const std::string& base, std::string_view path) {
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    Url u;
    if (u.set(CURLUPART_URL, base)) {
        std::string joined = u.get(CURLUPART_PATH).value_or("/");
        if (joined.empty() || joined.back() != '/') joined += '/';
        joined += path;
        if (u.set(CURLUPART_PATH, joined))
            if (std::optional<std::string> full = u.get(CURLUPART_URL)) return *full;
    }
    return base + (base.empty() || base.back() == '/' ? "" : "/") + std::string(path);
}

namespace {

class FixedAddress final : public Gateway::Address {
public:
    explicit FixedAddress(std::string base) : base_(std::move(base)) {}
    std::optional<std::string> known() override { return base_; }
    std::string resolve() override { return base_; }

private:
    const std::string base_;
};

}  // namespace

std::shared_ptr<Gateway::Address> Gateway::Address::fixed(std::string base) {
    return std::make_shared<FixedAddress>(std::move(base));
}

Gateway::Gateway(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address, std::shared_ptr<Session> session)
    : scheduler_(std::move(scheduler)), address_(std::move(address)), session_(std::move(session)) {}

std::shared_ptr<Gateway> Gateway::make(std::shared_ptr<Scheduler> scheduler, std::string base,
                                       std::shared_ptr<TokenStore> store, std::shared_ptr<Attestor> attestor) {
    return make(std::move(scheduler), Address::fixed(std::move(base)), std::move(store), std::move(attestor));
}

std::shared_ptr<Gateway> Gateway::make(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Address> address,
                                       std::shared_ptr<TokenStore> store, std::shared_ptr<Attestor> attestor) {
    auto session = std::make_shared<Session>(scheduler, address, std::move(store), std::move(attestor));
    return std::make_shared<Gateway>(std::move(scheduler), std::move(address), std::move(session));
}

namespace {

// A limit reply's body as the failure it stands for.
std::exception_ptr limitFailure(const std::string& body) {
    using Kind = Gateway::Failure::Kind;
    std::optional<J> j = J::parse(body);
    if (!j) return std::make_exception_ptr(Gateway::Failure(Kind::unreachable));
    const nlohmann::json* resets = j->subscript("resetsAt");
    std::optional<Date> date = resets && resets->is_string() ? Gateway::date(resets->get<std::string>()) : std::nullopt;
    const nlohmann::json* error = j->subscript("error");
    const std::string what = error && error->is_string() ? error->get<std::string>() : "";
    if (what == "resting") return std::make_exception_ptr(Gateway::Failure(Kind::resting, date));
    if (what == "allowance") return std::make_exception_ptr(Gateway::Failure(Kind::allowance, date));
    return std::make_exception_ptr(Gateway::Failure(Kind::unreachable));
}

class Send final : public Gateway::Call, public std::enable_shared_from_this<Send> {
public:
    Send(std::weak_ptr<Scheduler> scheduler, std::weak_ptr<Gateway::Session> session,
         std::shared_ptr<Gateway::Address> address, std::string path, std::string body, Http::Headers headers,
         double timeout, Gateway::Reader reader)
        : scheduler_(std::move(scheduler)), session_(std::move(session)), address_(std::move(address)),
          path_(std::move(path)), body_(std::move(body)), headers_(std::move(headers)), timeout_(timeout),
          reader_(std::move(reader)) {}

    void cancel() override {
        cancelled_ = true;
        if (transfer_) transfer_->cancel();
    }
    bool cancelled() const override { return cancelled_; }

    // Gets a token, then sends; the token's callback and the transfer's hold this call.
    void attempt() {
        std::shared_ptr<Gateway::Session> session = session_.lock();
        if (!session) return;  // the gateway is gone: the call ends silently
        session->token([self = shared_from_this()](std::optional<std::string> token, std::exception_ptr error) {
            if (self->cancelled_) return;
            if (error || !token) return self->finish(error);
            self->locate(std::move(*token));
        });
    }

private:
    enum class Mode { head, pass, limit };

    // Finds where the gateway answers (off the main thread when that takes looking), then
    // sends.
    void locate(std::string token) {
        if (std::optional<std::string> base = address_->known())
            return request(std::move(token), Gateway::url(*base, path_));
        std::shared_ptr<Scheduler> owner = scheduler_.lock();
        if (!owner) return;  // the program is closing
        Scheduler* scheduler = owner.get();  // outlives the jobs it runs
        scheduler->background([self = shared_from_this(), scheduler, token = std::move(token)]() mutable {
            std::string url = Gateway::url(self->address_->resolve(), self->path_);
            scheduler->post([self, token = std::move(token), url = std::move(url)]() mutable {
                if (!self->cancelled_) self->request(std::move(token), std::move(url));
            });
        });
    }

    void request(std::string token, std::string url) {
        std::shared_ptr<Scheduler> scheduler = scheduler_.lock();
        if (!scheduler) return;  // the program is closing
        token_ = std::move(token);
        mode_ = Mode::head;
        Http::Request r;
        r.url = std::move(url);
        r.headers = {{"content-type", "application/json"}, {"authorization", "Bearer " + token_}};
        for (const Http::Header& h : headers_) Http::set(r.headers, h.name, h.value);
        r.body = body_;
        r.timeout = timeout_;
        auto self = shared_from_this();
        Http::Receiver receiver;
        receiver.onHead = [self](int status) { self->head(status); };
        receiver.onBody = [self](std::string_view bytes) { self->body(bytes); };
        receiver.onEnd = [self](std::optional<Http::Failure::Kind> failure) { self->end(failure); };
        transfer_ = Http::start(*scheduler, std::move(r), std::move(receiver));
    }

    void head(int status) {
        if (status == 401 && first_) {
            first_ = false;
            transfer_->cancel();
            if (std::shared_ptr<Gateway::Session> session = session_.lock()) session->forget(token_);
            attempt();
            return;
        }
        if (status == 429 || status == 503) {
            mode_ = Mode::limit;
            return;
        }
        mode_ = Mode::pass;
        if (reader_.onResponse) reader_.onResponse(status);
    }

    void body(std::string_view bytes) {
        if (mode_ == Mode::limit) {
            limitBody_.append(bytes.substr(0, Gateway::limitBodyMax - limitBody_.size()));
            if (limitBody_.size() >= Gateway::limitBodyMax) {
                transfer_->cancel();
                finish(limitFailure(limitBody_));
            }
            return;
        }
        if (!reader_.onBody) return;
        if (!reader_.lines) return reader_.onBody(bytes);
        lines_.feed(bytes, [this](std::string_view line) {
            reader_.onBody(line);
            return !cancelled_;
        });
    }

    void end(std::optional<Http::Failure::Kind> failure) {
        if (mode_ == Mode::limit) {
            if (failure) limitBody_.clear();  // a body that broke off counts as none
            return finish(limitFailure(limitBody_));
        }
        if (failure) return finish(std::make_exception_ptr(Http::Failure(*failure)));
        if (reader_.lines && reader_.onBody)
            lines_.finish([this](std::string_view line) {
                reader_.onBody(line);
                return !cancelled_;
            });
        if (!cancelled_) finish(nullptr);
    }

    void finish(std::exception_ptr error) {
        if (done_ || cancelled_) return;
        done_ = true;
        auto onEnd = std::move(reader_.onEnd);
        reader_ = {};
        if (onEnd) onEnd(error);
    }

    // Weak: a call finishing on a worker thread must never hold the last reference to the
    // scheduler that runs it.
    std::weak_ptr<Scheduler> scheduler_;
    // Weak: while the call waits for a token, the session holds the call's callback.
    std::weak_ptr<Gateway::Session> session_;
    std::shared_ptr<Gateway::Address> address_;
    std::string path_, body_;
    Http::Headers headers_;
    double timeout_;
    Gateway::Reader reader_;
    std::shared_ptr<Http::Transfer> transfer_;
    std::string token_;  // the token of the request in flight
    Mode mode_ = Mode::head;
    std::string limitBody_;
    LineSplitter lines_;
    bool first_ = true;
    bool cancelled_ = false;
    bool done_ = false;
};

}  // namespace

std::shared_ptr<Gateway::Call> Gateway::send(std::string path, const nlohmann::json& json, Http::Headers headers,
                                             double timeout, Reader reader) {
    // Invalid UTF-8 in a text is sent as U+FFFD rather than failing the whole request.
    std::string body = json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    auto call = std::make_shared<Send>(scheduler_, session_, address_, std::move(path), std::move(body),
                                       std::move(headers), timeout, std::move(reader));
    call->attempt();
    return call;
}

}  // namespace nolby
