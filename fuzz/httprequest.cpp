// The bytes a client sends on one connection, as the gateway's connection layer reads them:
// the first byte seeds where they are cut into pieces; the rest is the stream. Heads are
// found, parsed and framed, bodies read by length or by chunks, one request after another:
// no crash, no body beyond the limit, and every head that parses names a path that starts
// its target.
#include "FuzzSupport.h"
#include "HttpMessages.h"
#include "ink/Rng.h"

#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;
using namespace nolby::service;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    constexpr size_t kMaxBody = 4096;
    Rng cuts(data[0]);
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string in;
    size_t scanned = 0;
    std::optional<HttpRequest> request;  // its head read, its body not yet whole
    Framing framed;
    ChunkedBody chunks;
    for (size_t at = 0; at < stream.size();) {
        const size_t n = std::min<size_t>(1 + cuts.next() % 64, stream.size() - at);
        in.append(stream.substr(at, n));
        at += n;
        for (bool progress = true; progress;) {
            progress = false;
            if (!request) {
                const std::optional<size_t> end = headEnd(in, scanned);
                if (!end) {
                    scanned = in.size() >= 3 ? in.size() - 3 : 0;
                    break;
                }
                std::variant<HttpRequest, int> parsed = parseHead(std::string_view(in).substr(0, *end));
                in.erase(0, *end);
                scanned = 0;
                if (std::holds_alternative<int>(parsed)) return 0;  // refused: the connection ends
                HttpRequest& r = std::get<HttpRequest>(parsed);
                require(r.target.rfind(r.path, 0) == 0 && !r.path.empty() && r.path[0] == '/');
                for (const auto& [name, value] : r.headers)
                    for (char c : name) require(!(c >= 'A' && c <= 'Z'));
                std::variant<Framing, int> f = framing(r);
                if (std::holds_alternative<int>(f)) return 0;
                framed = std::get<Framing>(f);
                if (!framed.chunked && framed.length > kMaxBody) return 0;  // 413
                request = std::move(r);
                chunks = ChunkedBody();
            }
            if (framed.chunked) {
                size_t used = 0;
                const ChunkedBody::State state = chunks.feed(in, used, request->body, kMaxBody);
                in.erase(0, used);
                require(request->body.size() <= kMaxBody);
                if (state == ChunkedBody::State::bad || state == ChunkedBody::State::tooLarge) return 0;
                if (state == ChunkedBody::State::more) break;
            } else {
                const size_t take = std::min(framed.length - request->body.size(), in.size());
                request->body.append(in, 0, take);
                in.erase(0, take);
                if (request->body.size() < framed.length) break;
            }
            request.reset();  // whole: the next request begins
            progress = true;
        }
    }
    return 0;
}
