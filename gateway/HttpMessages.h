#pragma once
// HTTP/1.1 messages as the service's connection layer reads and writes them: a request's
// head parsed into fields, its body framed by Content-Length or the chunked coding, and
// the head of a reply. Pure functions over bytes, so every edge is tested without sockets.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace nolby::service {

using HttpFields = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;   // "POST"
    std::string target;   // as sent: "/v1/messages?x=1"
    std::string path;     // the target without its query: "/v1/messages"
    std::string version;  // "HTTP/1.1" or "HTTP/1.0"
    HttpFields headers;   // names in lower case, in the order sent
    std::string body;     // decoded: chunked framing removed
    std::string remote;   // the client's address, "127.0.0.1"

    // The first value of a field (the name in any case), or "".
    std::string header(std::string_view name) const;
    size_t count(std::string_view name) const;
};

// Where a streamed reply body goes.
class HttpSink {
public:
    virtual ~HttpSink() = default;
    // Sends bytes of the body; false once the client has gone or the service stops.
    virtual bool write(std::string_view bytes) = 0;
};

struct HttpResponse {
    int status = 200;
    std::string type = "text/plain; charset=utf-8";
    HttpFields headers;  // extra fields
    std::string body;
    // When set, the body is streamed (chunked) as this writes it, instead of `body`. It
    // returns true when the body ended as it should; false cuts the connection where it is,
    // without the chunked coding's last chunk.
    std::function<bool(HttpSink&)> stream;

    void set(int status, std::string body, std::string type = "text/plain; charset=utf-8");
};

// Where a request head ends in `bytes` (just past its blank line), searching from `from`;
// none while it has not all arrived. Lines may end in CR LF or in LF alone.
std::optional<size_t> headEnd(std::string_view bytes, size_t from = 0);

// The request line and header fields of a head (with or without its blank line) as a
// request without body; else the status that refuses it (400, 431, 505).
std::variant<HttpRequest, int> parseHead(std::string_view head);

// How a request's body is framed, from its head; else the status that refuses it (400 for
// a malformed or doubtful length, 501 for a transfer coding other than chunked).
struct Framing {
    bool chunked = false;
    size_t length = 0;  // without chunking: the body's bytes (0 without Content-Length)
};
std::variant<Framing, int> framing(const HttpRequest& head);

// Decodes a chunked body as its bytes arrive.
class ChunkedBody {
public:
    enum class State { more, done, bad, tooLarge };
    // Takes what it can from `bytes` at `at` (advancing it) and appends the data to `body`,
    // which may not grow beyond `max`.
    State feed(std::string_view bytes, size_t& at, std::string& body, size_t max);

private:
    enum class Phase { size, data, dataEnd, trailer } phase_ = Phase::size;
    size_t left_ = 0;     // data bytes still to come in this chunk
    std::string line_;    // the line being read
    size_t trailer_ = 0;  // bytes of trailer fields so far
};

// "OK", "Not Found", ...
const char* statusText(int status);

// A reply's status line and fields, ending in the blank line: Content-Length when `length`
// is given, else the chunked coding (or, without `chunked`, a body ended by closing);
// "Connection: close" when `close`.
std::string responseHead(const HttpResponse& response, std::optional<size_t> length, bool close, bool chunked = true);

}  // namespace nolby::service
