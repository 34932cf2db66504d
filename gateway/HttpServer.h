#pragma once
// The service's own HTTP/1.1 server on 127.0.0.1, built for a desktop where any web page
// and any local process can reach the port:
// - it listens alone: no other socket may bind the port beside it;
// - one thread reads every connection's request as its bytes come (epoll), so a client that
//   dribbles its head or body holds no worker; a request's head must be complete within a
//   deadline and its body within another, or the connection gets 408 and is closed;
// - each client address may hold only so many connections, and all clients together so
//   many more;
// - a request's head is screened before its body is read, so a refused request costs no
//   more than its head: the refusal is sent, the rest of the body read and dropped, the
//   connection closed;
// - complete requests go to a pool of worker threads, which write the replies, streamed or
//   whole, with an idle time-out on each write.

#include "HttpMessages.h"

#include <memory>
#include <optional>
#include <string>

namespace nolby::service {

struct HttpLimits {
    double headerDeadline = 10;  // seconds for a request's head, from when the connection waits for it
    double bodyDeadline = 30;    // seconds for its body, from the end of its head
    double linger = 2;           // seconds a refused request's remaining bytes are read and dropped
    double writeTimeout = 30;    // seconds a reply may wait for the client to take more bytes
    size_t maxHead = 32 << 10;
    size_t maxBody = size_t(64) << 20;
    int perClient = 256;    // open connections from one address
    int connections = 512;  // open connections in all
    int workers = 256;      // threads answering complete requests
};

class HttpServer {
public:
    // Looks at a request's head before its body is read, on the connection thread; quick.
    // A reply refuses the request there; none lets it through. `maxBody` starts at the
    // limit and may be lowered for this request.
    using Screen = std::function<std::optional<HttpResponse>(const HttpRequest& head, size_t& maxBody)>;
    // Answers a complete request, on a worker thread.
    using Handler = std::function<void(const HttpRequest& request, HttpResponse& response)>;

    HttpServer(HttpLimits limits, Screen screen, Handler handler);
    ~HttpServer();  // stops; serve() must have returned
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port), alone. The port, or -1 with the reason in
    // `why` ("port 8787 is in use").
    int bind(int port, std::string& why);
    // Serves on the calling thread until stop(); returns once every worker has finished.
    void serve();
    // Any thread: ends serving. Streams see their sink refuse more bytes; waits wake.
    void stop();
    bool stopping() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nolby::service
