#include "tutor/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace nolby::Http {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

void initCurl() {
    static const bool once = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)once;
}

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Failure::Kind kindOf(CURLcode code) {
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT: return Failure::Kind::timedOut;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return Failure::Kind::noConnection;
    default: return Failure::Kind::connectionLost;
    }
}

// The hosts no proxy is used for: loopback, and whatever the environment adds.
const std::string& noProxy() {
    static const std::string hosts = [] {
        std::string h = "localhost,127.0.0.1,::1";
        const char* env = std::getenv("no_proxy");
        if (!env) env = std::getenv("NO_PROXY");
        if (env && *env) h += std::string(",") + env;
        return h;
    }();
    return hosts;
}

struct CurlList {
    curl_slist* list = nullptr;
    ~CurlList() { curl_slist_free_all(list); }
    void add(const std::string& line) {
        if (curl_slist* more = curl_slist_append(list, line.c_str())) list = more;
    }
};

}  // namespace

void set(Headers& headers, std::string_view name, std::string value) {
    auto same = [&](const Header& h) { return sameName(h.name, name); };
    auto first = std::find_if(headers.begin(), headers.end(), same);
    if (first == headers.end()) {
        headers.push_back({std::string(name), std::move(value)});
        return;
    }
    first->value = std::move(value);
    headers.erase(std::remove_if(first + 1, headers.end(), same), headers.end());
}

Failure::Failure(Kind kind) : std::runtime_error(text(kind)), kind_(kind) {}

const char* Failure::text(Kind kind) {
    switch (kind) {
    case Kind::noConnection: return "Couldn't connect. Check your connection and try again.";
    case Kind::timedOut: return "The connection timed out. Try again in a moment.";
    case Kind::connectionLost: return "The connection was lost. Try again.";
    }
    return "The connection was lost. Try again.";
}

void Transfer::cancel() {
    cancelled_ = true;
    std::lock_guard lock(mutex_);
    if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

// One transfer on one thread: a curl easy handle driven by its own multi handle, so the loop
// can wait for bytes and still wake at once for a cancel, and can time idleness exactly.
class Runner {
public:
    Runner(const Request& request, const Events& events, Transfer* transfer)
        : request_(request), events_(events), transfer_(transfer) {
        const double t = request.timeout;
        timeout_ = std::isfinite(t) && t > 0 ? t : 60;
    }

    std::optional<Failure::Kind> run() {
        initCurl();
        CURL* easy = curl_easy_init();
        CURLM* multi = curl_multi_init();
        if (!easy || !multi) {
            if (easy) curl_easy_cleanup(easy);
            if (multi) curl_multi_cleanup(multi);
            return Failure::Kind::noConnection;
        }
        CurlList headers;
        configure(easy, headers);
        curl_multi_add_handle(multi, easy);
        attach(multi);
        std::optional<Failure::Kind> failure = loop(multi);
        detach();
        curl_multi_remove_handle(multi, easy);
        curl_easy_cleanup(easy);
        curl_multi_cleanup(multi);
        if (cancelled()) return std::nullopt;
        return failure;
    }

private:
    bool cancelled() const { return transfer_ && transfer_->cancelled(); }
    void touch() { lastActivity_ = seconds(); }

    void attach(CURLM* multi) {
        if (!transfer_) return;
        std::lock_guard lock(transfer_->mutex_);
        transfer_->multi_ = multi;
    }
    void detach() {
        if (!transfer_) return;
        std::lock_guard lock(transfer_->mutex_);
        transfer_->multi_ = nullptr;
    }

    void configure(CURL* easy, CurlList& headers) {
        curl_easy_setopt(easy, CURLOPT_URL, request_.url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request_.method.c_str());
        if (request_.body) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request_.body->data());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request_.body->size()));
        } else if (request_.method == "POST") {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(0));
        }
        bool typed = false;
        for (const Header& h : request_.headers) {
            headers.add(h.name + ": " + h.value);
            typed = typed || sameName(h.name, "content-type");
        }
        // No waiting for "100 Continue" before large bodies, and no made-up body type.
        headers.add("Expect:");
        if (!typed) headers.add("Content-Type:");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
        // A proxy from the environment serves remote hosts only; the local gateway is reached directly.
        curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy().c_str());
        // Idle limits only: connecting, and a stream that stops moving.
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::ceil(timeout_ * 1000)));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::ceil(timeout_)));
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Runner::onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Runner::onWrite);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Runner::onProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    }

    std::optional<Failure::Kind> loop(CURLM* multi) {
        touch();
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) return Failure::Kind::connectionLost;
            if (!running) break;
            if (cancelled()) return std::nullopt;
            // curl's own low-speed check averages over several seconds; this one is exact.
            const double idle = seconds() - lastActivity_;
            if (idle >= timeout_) return Failure::Kind::timedOut;
            const int wait = static_cast<int>(std::clamp((timeout_ - idle) * 1000 + 1, 1.0, 1000.0));
            curl_multi_poll(multi, nullptr, 0, wait, nullptr);
        }
        int left = 0;
        CURLcode code = CURLE_OK;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left))
            if (msg->msg == CURLMSG_DONE) code = msg->data.result;
        if (cancelled()) return std::nullopt;
        if (code != CURLE_OK) return kindOf(code);
        finishHead();  // a reply without a body still reports its status
        return std::nullopt;
    }

    void finishHead() {
        if (headDone_) return;
        headDone_ = true;
        if (events_.head) events_.head(status_);
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Runner*>(user);
        const size_t length = size * count;
        self->touch();
        if (self->headDone_) return length;  // trailers
        std::string_view line(data, length);
        if (line.rfind("HTTP/", 0) == 0) {
            // "HTTP/1.1 200 OK": the code follows the first space.
            size_t space = line.find(' ');
            int status = 0;
            for (size_t i = space == std::string_view::npos ? line.size() : space + 1;
                 i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
                status = status * 10 + (line[i] - '0');
            self->status_ = status;
        } else if ((line == "\r\n" || line == "\n") && self->status_ >= 200) {
            self->finishHead();  // interim heads (1xx) end with a blank line too
        }
        return self->cancelled() ? 0 : length;
    }

    static size_t onWrite(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Runner*>(user);
        const size_t length = size * count;
        self->touch();
        if (self->cancelled()) return 0;
        self->finishHead();
        if (self->events_.body && length > 0) self->events_.body(std::string_view(data, length));
        return self->cancelled() ? 0 : length;
    }

    static int onProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
        auto* self = static_cast<Runner*>(user);
        if (down + up != self->moved_) {
            self->moved_ = down + up;
            self->touch();
        }
        return self->cancelled() ? 1 : 0;
    }

    const Request& request_;
    const Events& events_;
    Transfer* transfer_;
    double timeout_ = 60;
    double lastActivity_ = 0;
    curl_off_t moved_ = 0;
    int status_ = 0;
    bool headDone_ = false;
};

std::optional<Failure::Kind> perform(const Request& request, const Events& events, Transfer* transfer) {
    return Runner(request, events, transfer).run();
}

Reply fetch(const Request& request, size_t limit) {
    Reply reply;
    Transfer stop;  // only the limit stops it
    Events events;
    events.head = [&](int status) { reply.status = status; };
    events.body = [&](std::string_view bytes) {
        reply.body.append(bytes.substr(0, limit - reply.body.size()));
        if (reply.body.size() >= limit) stop.cancel();
    };
    reply.failure = perform(request, events, &stop);
    return reply;
}

}  // namespace nolby::Http
