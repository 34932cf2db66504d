#include "HttpMessages.h"

#include <algorithm>
#include <cctype>

namespace nolby::service {

namespace {

// More header fields than this are refused (431), as are longer lines in a chunked body.
constexpr size_t kMaxFields = 100;
constexpr size_t kMaxChunkLine = 1024;
constexpr size_t kMaxTrailer = 8192;

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// The characters of a method or a field name (RFC 9110 "tchar").
bool tokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool token(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), tokenChar); }

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A line of `bytes` from `at` up to LF (the LF consumed, a CR before it dropped); none when
// the LF has not arrived, in which case everything from `at` went into `partial`.
bool takeLine(std::string_view bytes, size_t& at, std::string& partial) {
    const size_t lf = bytes.find('\n', at);
    if (lf == std::string_view::npos) {
        partial.append(bytes.substr(at));
        at = bytes.size();
        return false;
    }
    partial.append(bytes.substr(at, lf - at));
    at = lf + 1;
    if (!partial.empty() && partial.back() == '\r') partial.pop_back();
    return true;
}

}  // namespace

std::string HttpRequest::header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (same(n, name)) return v;
    return "";
}

size_t HttpRequest::count(std::string_view name) const {
    return static_cast<size_t>(std::count_if(headers.begin(), headers.end(), [&](const auto& f) { return same(f.first, name); }));
}

void HttpResponse::set(int s, std::string b, std::string t) {
    status = s;
    body = std::move(b);
    type = std::move(t);
    stream = nullptr;
}

std::optional<size_t> headEnd(std::string_view bytes, size_t from) {
    // Blank lines before the request line are skipped (as parseHead does); the head ends at
    // the first empty line after it.
    const size_t start = bytes.find_first_not_of("\r\n");
    if (start == std::string_view::npos) return std::nullopt;
    for (size_t lf = bytes.find('\n', std::max(from, start)); lf != std::string_view::npos; lf = bytes.find('\n', lf + 1)) {
        if (lf >= start + 1 && bytes[lf - 1] == '\n') return lf + 1;
        if (lf >= start + 2 && bytes[lf - 1] == '\r' && bytes[lf - 2] == '\n') return lf + 1;
    }
    return std::nullopt;
}

std::variant<HttpRequest, int> parseHead(std::string_view head) {
    std::vector<std::string_view> lines;
    for (size_t at = 0; at < head.size();) {
        size_t lf = head.find('\n', at);
        std::string_view line = head.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
        at = lf == std::string_view::npos ? head.size() : lf + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) {
            if (lines.empty()) continue;  // blank lines before the request line
            break;
        }
        lines.push_back(line);
    }
    if (lines.empty()) return 400;

    HttpRequest r;
    const std::string_view start = lines[0];
    const size_t sp1 = start.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : start.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || start.find(' ', sp2 + 1) != std::string_view::npos) return 400;
    const std::string_view method = start.substr(0, sp1), target = start.substr(sp1 + 1, sp2 - sp1 - 1),
                           version = start.substr(sp2 + 1);
    if (!token(method) || target.empty() || target.front() != '/') return 400;
    if (std::any_of(target.begin(), target.end(), [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; }))
        return 400;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return version.rfind("HTTP/", 0) == 0 ? 505 : 400;
    r.method = method;
    r.target = target;
    r.path = target.substr(0, target.find_first_of("?#"));
    r.version = version;

    if (lines.size() - 1 > kMaxFields) return 431;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.front() == ' ' || line.front() == '\t') return 400;  // folded lines are obsolete
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || !token(line.substr(0, colon))) return 400;
        const std::string_view value = trim(line.substr(colon + 1));
        if (std::any_of(value.begin(), value.end(), [](char c) { return (static_cast<unsigned char>(c) < ' ' && c != '\t') || c == 0x7F; }))
            return 400;
        std::string name(line.substr(0, colon));
        std::transform(name.begin(), name.end(), name.begin(), lower);
        r.headers.emplace_back(std::move(name), std::string(value));
    }
    return r;
}

std::variant<Framing, int> framing(const HttpRequest& head) {
    Framing f;
    const bool lengthGiven = head.count("content-length") > 0;
    if (head.count("transfer-encoding") > 0) {
        // A length beside a transfer coding is how requests are smuggled past proxies.
        if (lengthGiven || head.count("transfer-encoding") > 1) return 400;
        if (!same(head.header("transfer-encoding"), "chunked")) return 501;
        f.chunked = true;
        return f;
    }
    if (!lengthGiven) return f;  // no body: a bodiless POST is an empty one
    std::optional<size_t> length;
    for (const auto& [name, value] : head.headers) {
        if (name != "content-length") continue;
        if (value.empty() || value.size() > 18 || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return 400;
        const size_t n = std::stoull(value);
        if (length && *length != n) return 400;
        length = n;
    }
    f.length = *length;
    return f;
}

ChunkedBody::State ChunkedBody::feed(std::string_view bytes, size_t& at, std::string& body, size_t max) {
    while (at < bytes.size()) {
        if (phase_ == Phase::data) {
            const size_t take = std::min(left_, bytes.size() - at);
            body.append(bytes.substr(at, take));
            at += take;
            left_ -= take;
            if (left_ == 0) phase_ = Phase::dataEnd;
            continue;
        }
        const bool whole = takeLine(bytes, at, line_);
        if (line_.size() > (phase_ == Phase::trailer ? kMaxTrailer : kMaxChunkLine)) return State::bad;
        if (!whole) return State::more;
        std::string line = std::move(line_);
        line_.clear();
        if (phase_ == Phase::dataEnd) {
            if (!line.empty()) return State::bad;
            phase_ = Phase::size;
        } else if (phase_ == Phase::trailer) {
            if (line.empty()) return State::done;
            trailer_ += line.size();
            if (trailer_ > kMaxTrailer) return State::bad;
        } else {
            const std::string_view size = trim(std::string_view(line).substr(0, line.find(';')));
            if (size.empty() || size.size() > 15 || !std::all_of(size.begin(), size.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                return State::bad;
            left_ = std::stoull(std::string(size), nullptr, 16);
            if (left_ > max - std::min(max, body.size())) return State::tooLarge;
            phase_ = left_ == 0 ? Phase::trailer : Phase::data;
        }
    }
    return State::more;
}

const char* statusText(int status) {
    switch (status) {
        case 100: return "Continue";
        case 200: return "OK";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 413: return "Content Too Large";
        case 415: return "Unsupported Media Type";
        case 417: return "Expectation Failed";
        case 429: return "Too Many Requests";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 501: return "Not Implemented";
        case 502: return "Bad Gateway";
        case 503: return "Service Unavailable";
        case 505: return "HTTP Version Not Supported";
        default: return status < 300 ? "OK" : status < 500 ? "Client Error" : "Server Error";
    }
}

std::string responseHead(const HttpResponse& response, std::optional<size_t> length, bool close, bool chunked) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + statusText(response.status) + "\r\n";
    if (!response.type.empty()) head += "Content-Type: " + response.type + "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (length) head += "Content-Length: " + std::to_string(*length) + "\r\n";
    else if (chunked) head += "Transfer-Encoding: chunked\r\n";
    if (close) head += "Connection: close\r\n";
    return head + "\r\n";
}

}  // namespace nolby::service
