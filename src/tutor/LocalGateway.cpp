#include "tutor/LocalGateway.h"

#include "platform/ChildProcess.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nolby {

namespace {

constexpr const char* kKey = "ANTHROPIC_API_KEY";

// The host and port of an http(s) address, the scheme's port when none is written.
std::optional<std::pair<std::string, std::string>> hostAndPort(const std::string& base) {
    CURLU* u = curl_url();
    if (!u) return std::nullopt;
    std::optional<std::pair<std::string, std::string>> out;
    char* host = nullptr;
    char* port = nullptr;
    if (curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        std::string h(host);
        if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);  // IPv6 literal
        out.emplace(std::move(h), std::string(port));
    }
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(u);
    return out;
}

bool connects(const addrinfo& a, int ms) {
    const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
    if (fd < 0) return false;
    bool ok = ::connect(fd, a.ai_addr, a.ai_addrlen) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        ok = ::poll(&p, 1, ms) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    ::close(fd);
    return ok;
}

}  // namespace

LocalGateway::LocalGateway(Options options) : options_(std::move(options)) {}

LocalGateway::~LocalGateway() { stop(); }

std::filesystem::path LocalGateway::beside() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : exe.parent_path()) / "nolby-gateway";
}

std::optional<std::string> LocalGateway::takeApiKey() {
    const char* value = std::getenv(kKey);
    std::optional<std::string> key;
    if (value && *value) key = value;
    ::unsetenv(kKey);
    return key;
}

bool LocalGateway::answers(const std::string& base, int ms) {
    const auto where = hostAndPort(base);
    if (!where) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(where->first.c_str(), where->second.c_str(), &hints, &found) != 0) return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) ok = connects(*a, ms);
    ::freeaddrinfo(found);
    return ok;
}

std::optional<std::string> LocalGateway::known() {
    std::lock_guard lock(mutex_);
    if (!stopped_ && child_ && !childBase_.empty() && child_->running()) return childBase_;
    return std::nullopt;
}

std::optional<int> LocalGateway::child() {
    std::lock_guard lock(mutex_);
    if (child_ && child_->running()) return child_->pid();
    return std::nullopt;
}

std::string LocalGateway::resolve() {
    std::lock_guard one(resolving_);
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return options_.usual;
        if (child_ && !childBase_.empty() && child_->running()) return childBase_;
    }
    // A gateway the learner started is used as it is; it is looked for again at every
    // request while none of ours runs, so one started later is found too.
    if (answers(options_.usual, options_.lookMs)) return options_.usual;
    std::unique_lock lock(mutex_);
    if (stopped_) return options_.usual;
    if (!keeper_.joinable()) keeper_ = std::thread([this] { keep(); });
    wanted_ = true;
    made_.reset();
    wake_.notify_all();
    wake_.wait(lock, [this] { return made_.has_value() || stopped_; });
    if (stopped_ || !made_ || made_->empty()) return options_.usual;
    return *made_;
}

void LocalGateway::keep() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return wanted_ || stopped_; });
        if (stopped_) return;
        wanted_ = false;
        lock.unlock();
        std::optional<std::string> base = start();
        lock.lock();
        made_ = stopped_ ? std::string() : base.value_or(std::string());
        wake_.notify_all();
    }
}

std::optional<std::string> LocalGateway::start() {
    ChildProcess::Options launch;
    launch.program = options_.program.string();
    launch.arguments = {"--port", "0"};
    launch.environment = ChildProcess::environment({kKey});
    if (options_.apiKey) launch.environment.push_back(std::string(kKey) + "=" + *options_.apiKey);
    std::shared_ptr<ChildProcess> started = ChildProcess::start(launch);
    if (!started) return std::nullopt;
    {
        // Held where stop() finds it from the start, so it can end a start still waiting.
        std::lock_guard lock(mutex_);
        if (stopped_) return std::nullopt;  // `started` ends with its last reference
        child_ = started;
        childBase_.clear();
    }
    // The first line a gateway prints is its address.
    const std::optional<std::string> line = started->firstLine(options_.startMs);
    const std::optional<std::string> base = line ? Gateway::baseFrom(*line) : std::nullopt;
    std::lock_guard lock(mutex_);
    if (base && !stopped_) {
        childBase_ = *base;
        return base;
    }
    if (child_ == started) child_.reset();
    return std::nullopt;  // a gateway that did not say where it listens is of no use: it ends here
}

void LocalGateway::stop() {
    std::shared_ptr<ChildProcess> child;
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        child = std::move(child_);
        wake_.notify_all();
    }
    if (child) child->stop();
    if (keeper_.joinable()) keeper_.join();
}

}  // namespace nolby
