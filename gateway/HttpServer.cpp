#include "HttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace nolby::service {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

const char* const kTooLarge = "The request body is too large.\n";

// One client connection: owned by the connection thread while a request arrives, by a
// worker while it is answered.
struct Connection {
    enum class Phase { head, body, lingering };

    int fd = -1;
    std::string remote;
    std::string in;      // bytes read, not yet taken by a request
    size_t scanned = 0;  // how far `in` was searched for the end of the head
    Phase phase = Phase::head;
    Clock::time_point deadline;
    HttpRequest request;
    Framing framing;
    size_t maxBody = 0;
    ChunkedBody chunks;
};

HttpResponse plain(int status, const std::string& text) {
    HttpResponse r;
    r.set(status, text);
    return r;
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return s;
}

// A reply as bytes on the wire, closing the connection after it.
std::string closing(const HttpResponse& r) { return responseHead(r, r.body.size(), true) + r.body; }

}  // namespace

struct HttpServer::Impl {
    HttpLimits limits;
    Screen screen;
    Handler handler;

    int listener = -1;
    int port = -1;
    int epoll = -1;
    int stopFd = -1;  // readable once stopping; never drained, so every poll on it wakes
    int wakeFd = -1;  // counts connections handed back by workers
    std::atomic<bool> stopped{false};

    // Open connections, per client address and in all; workers close connections too.
    std::mutex countMutex;
    std::map<std::string, int> perClient;
    int open = 0;

    // Connections handed back by workers to wait for their next request.
    std::mutex backMutex;
    std::vector<std::unique_ptr<Connection>> back;

    // Complete requests waiting for a worker.
    std::mutex jobMutex;
    std::condition_variable jobReady;
    std::deque<std::unique_ptr<Connection>> jobs;
    std::vector<std::thread> workers;
    size_t idle = 0;

    // The connection thread's own.
    std::unordered_map<int, std::unique_ptr<Connection>> reading;
    Clock::time_point nextExpiry = Clock::time_point::max();
    std::optional<Clock::time_point> acceptResumes;  // accepting paused: out of descriptors

    Impl(HttpLimits l, Screen s, Handler h) : limits(l), screen(std::move(s)), handler(std::move(h)) {
        stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        epoll = epoll_create1(EPOLL_CLOEXEC);
    }
    ~Impl() {
        for (int fd : {listener, epoll, stopFd, wakeFd})
            if (fd >= 0) ::close(fd);
    }

    // --- Counting connections.

    bool admit(const std::string& remote) {
        std::lock_guard lock(countMutex);
        int& mine = perClient[remote];
        if (open >= limits.connections || mine >= limits.perClient) {
            if (mine == 0) perClient.erase(remote);
            return false;
        }
        ++open;
        ++mine;
        return true;
    }

    void release(Connection& c) {
        if (c.fd < 0) return;
        ::close(c.fd);
        c.fd = -1;
        std::lock_guard lock(countMutex);
        --open;
        if (--perClient[c.remote] <= 0) perClient.erase(c.remote);
    }

    // --- Writing.

    // What the socket takes now, without waiting: for short replies on the connection thread.
    static void sendNow(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) bytes.remove_prefix(static_cast<size_t>(n));
            else if (!(n < 0 && errno == EINTR)) return;
        }
    }

    // All of it, waiting while the client is slow to take it; false when it has gone, stays
    // idle past the write time-out, or the server stops.
    bool sendAll(int fd, std::string_view bytes) {
        const int timeout = static_cast<int>(std::clamp(limits.writeTimeout, 0.001, 86400.0) * 1000);
        while (!bytes.empty()) {
            if (stopped) return false;
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                bytes.remove_prefix(static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (!(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) return false;
            pollfd fds[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
            if (::poll(fds, 2, timeout) <= 0 || fds[1].revents) return false;
        }
        return true;
    }

    // A streamed body in the chunked coding (or bare, for HTTP/1.0, ended by closing).
    struct ChunkSink : HttpSink {
        Impl& server;
        int fd;
        bool chunked;
        bool ok = true;
        ChunkSink(Impl& s, int f, bool c) : server(s), fd(f), chunked(c) {}
        bool write(std::string_view bytes) override {
            if (!ok || server.stopped) return ok = false;
            if (bytes.empty()) return true;
            if (!chunked) return ok = server.sendAll(fd, bytes);
            char size[24];
            const int n = std::snprintf(size, sizeof size, "%zx\r\n", bytes.size());
            std::string frame;
            frame.reserve(static_cast<size_t>(n) + bytes.size() + 2);
            frame.append(size, static_cast<size_t>(n)).append(bytes).append("\r\n");
            return ok = server.sendAll(fd, frame);
        }
    };

    // --- The connection thread.

    void watch(Connection& c, Clock::time_point deadline) {
        c.deadline = deadline;
        nextExpiry = std::min(nextExpiry, deadline);
    }

    // Answers a request on the connection thread and closes the connection: what is still
    // on its way is read and dropped for a moment, so the client reads the answer instead of
    // a reset.
    void refuse(Connection& c, const HttpResponse& r) {
        sendNow(c.fd, closing(r));
        ::shutdown(c.fd, SHUT_WR);
        c.phase = Connection::Phase::lingering;
        c.in = std::string();
        c.request = HttpRequest();
        watch(c, after(limits.linger));
    }

    void drop(int fd) {
        auto it = reading.find(fd);
        if (it == reading.end()) return;
        epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
        release(*it->second);
        reading.erase(it);
    }

    void listen(Connection& c) {
        epoll_event e{};
        e.events = EPOLLIN | EPOLLRDHUP;
        e.data.fd = c.fd;
        epoll_ctl(epoll, EPOLL_CTL_ADD, c.fd, &e);
    }

    void acceptAll() {
        for (;;) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            const int fd = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    // Out of descriptors: stop listening for a moment rather than spin.
                    epoll_event e{};
                    e.data.fd = listener;
                    epoll_ctl(epoll, EPOLL_CTL_MOD, listener, &e);
                    acceptResumes = after(0.1);
                }
                return;
            }
            char text[INET_ADDRSTRLEN] = "";
            inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
            if (!admit(text) && (reap(text), !admit(text))) {
                // Turned away at once; what it already sent is read first, so the answer is
                // not lost to a reset.
                char scratch[4096];
                while (::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT) > 0) {
                }
                sendNow(fd, closing(plain(503, "Too many connections.\n")));
                ::shutdown(fd, SHUT_WR);
                ::close(fd);
                continue;
            }
            const int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            auto c = std::make_unique<Connection>();
            c->fd = fd;
            c->remote = text;
            watch(*c, after(limits.headerDeadline));
            listen(*c);
            reading[fd] = std::move(c);
        }
    }

    // Drops this address's connections that its client has closed while they waited for a
    // request (their end of file not yet read), so that they do not count against it.
    void reap(const std::string& remote) {
        std::vector<int> gone;
        for (const auto& [fd, c] : reading) {
            char byte;
            if (c->remote != remote) continue;
            const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) gone.push_back(fd);
        }
        for (int fd : gone) drop(fd);
    }

    void readFrom(int fd) {
        auto it = reading.find(fd);
        if (it == reading.end()) return;
        Connection& c = *it->second;
        char buffer[64 * 1024];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
        if (n <= 0) return drop(fd);  // closed, or broken; mid-request or not, it is over
        if (c.phase == Connection::Phase::lingering) return;
        c.in.append(buffer, static_cast<size_t>(n));
        advance(c);
    }

    // Moves a request on with the bytes that arrived. Once the request is whole it goes to a
    // worker, and `c` is no longer the connection thread's.
    void advance(Connection& c) {
        if (c.phase == Connection::Phase::head) {
            const std::optional<size_t> end = headEnd(c.in, c.scanned);
            if (!end || *end > limits.maxHead) {
                if (c.in.size() > limits.maxHead) refuse(c, plain(431, "The request's head is too large.\n"));
                else c.scanned = c.in.size() >= 3 ? c.in.size() - 3 : 0;
                return;
            }
            std::variant<HttpRequest, int> parsed = parseHead(std::string_view(c.in).substr(0, *end));
            c.in.erase(0, *end);
            c.scanned = 0;
            if (const int* status = std::get_if<int>(&parsed))
                return refuse(c, plain(*status, *status == 431 ? "The request's head is too large.\n"
                                                                : "The request was not understood.\n"));
            c.request = std::move(std::get<HttpRequest>(parsed));
            c.request.remote = c.remote;
            std::variant<Framing, int> framed = framing(c.request);
            if (const int* status = std::get_if<int>(&framed))
                return refuse(c, plain(*status, "The request body's length is unclear.\n"));
            c.framing = std::get<Framing>(framed);
            const std::string coding = c.request.header("content-encoding");
            if (!coding.empty() && coding != "identity")
                return refuse(c, plain(415, "Send the request body without compression.\n"));
            c.maxBody = limits.maxBody;
            if (std::optional<HttpResponse> refusal = screen(c.request, c.maxBody)) return refuse(c, *refusal);
            if (!c.framing.chunked && c.framing.length > c.maxBody) return refuse(c, plain(413, kTooLarge));
            const std::string expect = c.request.header("expect");
            if (!expect.empty()) {
                if (lowered(expect) != "100-continue")
                    return refuse(c, plain(417, "Only \"Expect: 100-continue\" is understood.\n"));
                if (c.in.empty() && (c.framing.chunked || c.framing.length > 0)) sendNow(c.fd, "HTTP/1.1 100 Continue\r\n\r\n");
            }
            c.chunks = ChunkedBody();
            c.phase = Connection::Phase::body;
            watch(c, after(limits.bodyDeadline));
        }
        if (c.phase != Connection::Phase::body) return;
        if (c.framing.chunked) {
            size_t at = 0;
            const ChunkedBody::State state = c.chunks.feed(c.in, at, c.request.body, c.maxBody);
            c.in.erase(0, at);
            if (state == ChunkedBody::State::bad) return refuse(c, plain(400, "The request body's chunks are malformed.\n"));
            if (state == ChunkedBody::State::tooLarge) return refuse(c, plain(413, kTooLarge));
            if (state == ChunkedBody::State::more) return;
        } else {
            const size_t take = std::min(c.framing.length - c.request.body.size(), c.in.size());
            c.request.body.append(c.in, 0, take);
            c.in.erase(0, take);
            if (c.request.body.size() < c.framing.length) return;
        }
        dispatch(c.fd);
    }

    void dispatch(int fd) {
        auto it = reading.find(fd);
        epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
        std::unique_ptr<Connection> c = std::move(it->second);
        reading.erase(it);
        {
            std::lock_guard lock(jobMutex);
            jobs.push_back(std::move(c));
            if (jobs.size() > idle && workers.size() < static_cast<size_t>(std::max(limits.workers, 1)))
                workers.emplace_back([this] { work(); });
        }
        jobReady.notify_one();
    }

    void takeBack() {
        uint64_t count;
        while (::read(wakeFd, &count, sizeof count) > 0) {
        }
        std::vector<std::unique_ptr<Connection>> returned;
        {
            std::lock_guard lock(backMutex);
            returned.swap(back);
        }
        for (std::unique_ptr<Connection>& owned : returned) {
            const int fd = owned->fd;
            Connection& c = *owned;
            watch(c, after(limits.headerDeadline));
            listen(c);
            reading[fd] = std::move(owned);
            if (!c.in.empty()) advance(c);  // the client sent its next request early
        }
    }

    void expire() {
        const Clock::time_point now = Clock::now();
        if (acceptResumes && now >= *acceptResumes) {
            acceptResumes.reset();
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = listener;
            epoll_ctl(epoll, EPOLL_CTL_MOD, listener, &e);
        }
        if (now < nextExpiry) return;
        nextExpiry = Clock::time_point::max();
        std::vector<int> late;
        for (const auto& [fd, c] : reading) {
            if (c->deadline <= now) late.push_back(fd);
            else nextExpiry = std::min(nextExpiry, c->deadline);
        }
        for (int fd : late) {
            Connection& c = *reading[fd];
            // A connection waiting for a request that never began closes quietly.
            if (c.phase == Connection::Phase::lingering || (c.phase == Connection::Phase::head && c.in.empty())) drop(fd);
            else refuse(c, plain(408, "The request took too long to arrive.\n"));
        }
    }

    int timeoutMs() const {
        Clock::time_point next = nextExpiry;
        if (acceptResumes) next = std::min(next, *acceptResumes);
        if (next == Clock::time_point::max()) return 1000;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count() + 1;
        return static_cast<int>(std::clamp<int64_t>(ms, 0, 1000));
    }

    void run() {
        for (int fd : {listener, wakeFd, stopFd}) {
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = fd;
            epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &e);
        }
        epoll_event events[128];
        while (!stopped) {
            const int n = epoll_wait(epoll, events, 128, timeoutMs());
            if (n < 0 && errno != EINTR) break;
            // New connections last, once those that ended have been counted out.
            bool incoming = false;
            for (int i = 0; i < n && !stopped; ++i) {
                const int fd = events[i].data.fd;
                if (fd == listener) incoming = true;
                else if (fd == wakeFd) takeBack();
                else if (fd != stopFd) readFrom(fd);
            }
            if (incoming && !stopped) acceptAll();
            expire();
        }
        ::close(listener);
        listener = -1;
        for (auto& [fd, c] : reading) release(*c);
        reading.clear();
        {
            std::lock_guard lock(jobMutex);
        }
        jobReady.notify_all();
        for (std::thread& t : workers) t.join();
        workers.clear();
        for (std::unique_ptr<Connection>& c : jobs) release(*c);
        jobs.clear();
        for (std::unique_ptr<Connection>& c : back) release(*c);
        back.clear();
    }

    // --- Workers.

    void work() {
        std::unique_lock lock(jobMutex);
        for (;;) {
            ++idle;
            jobReady.wait(lock, [&] { return stopped || !jobs.empty(); });
            --idle;
            if (stopped) return;  // what still waits is closed by run()
            std::unique_ptr<Connection> c = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            answer(std::move(c));
            lock.lock();
        }
    }

    void answer(std::unique_ptr<Connection> c) {
        HttpResponse res;
        try {
            handler(c->request, res);
        } catch (...) {
            res = plain(500, "The service could not answer.\n");
        }
        const bool http11 = c->request.version == "HTTP/1.1";
        const bool close = !http11 || lowered(c->request.header("connection")).find("close") != std::string::npos;
        c->request = HttpRequest();  // the body may be large, and a stream may last minutes
        bool whole;
        if (res.stream) {
            whole = sendAll(c->fd, responseHead(res, std::nullopt, close || !http11, http11));
            if (whole) {
                ChunkSink sink(*this, c->fd, http11);
                whole = res.stream(sink) && sink.ok && (!http11 || sendAll(c->fd, "0\r\n\r\n"));
            }
        } else {
            whole = sendAll(c->fd, responseHead(res, res.body.size(), close)) && sendAll(c->fd, res.body);
        }
        if (!whole || close || stopped) return release(*c);
        c->phase = Connection::Phase::head;
        {
            std::lock_guard lock(backMutex);
            back.push_back(std::move(c));
        }
        const uint64_t one = 1;
        if (::write(wakeFd, &one, sizeof one) < 0) {
        }
    }
};

HttpServer::HttpServer(HttpLimits limits, Screen screen, Handler handler)
    : impl_(std::make_unique<Impl>(limits, std::move(screen), std::move(handler))) {}

HttpServer::~HttpServer() { stop(); }

int HttpServer::bind(int port, std::string& why) {
    if (impl_->port >= 0) return impl_->port;
    const std::string where = "127.0.0.1:" + std::to_string(port);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = "cannot listen on " + where + ": " + std::strerror(errno);
        return -1;
    }
    // Lets a restarted service take its port while old connections wind down; unlike
    // SO_REUSEPORT it never lets a second socket listen on a port that one listens on.
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 511) != 0) {
        why = errno == EADDRINUSE ? "port " + std::to_string(port) + " is in use"
                                  : "cannot listen on " + where + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    impl_->listener = fd;
    impl_->port = ntohs(address.sin_port);
    return impl_->port;
}

void HttpServer::serve() {
    if (impl_->listener < 0 || impl_->stopped) return;
    impl_->run();
}

void HttpServer::stop() {
    if (impl_->stopped.exchange(true)) return;
    const uint64_t one = 1;
    if (::write(impl_->stopFd, &one, sizeof one) < 0) {
    }
    {
        std::lock_guard lock(impl_->jobMutex);
    }
    impl_->jobReady.notify_all();
}

bool HttpServer::stopping() const { return impl_->stopped; }

}  // namespace nolby::service
