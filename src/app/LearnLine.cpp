#include "app/LearnLine.h"

#include "model/NotebookModel.h"
#include "platform/Unicode.h"

#include <cstdlib>
#include <unistd.h>

namespace nolby::LearnLine {

namespace {

// Well-formed UTF-8: it decodes and encodes back to the same bytes.
bool wellFormed(std::string_view s) { return unicode::toUtf8(unicode::toUtf32(s)) == s; }

bool hasControls(std::string_view s) {
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    return false;
}

}  // namespace

std::optional<std::string> topic(std::string_view text) {
    std::string t = NotebookModel::trimmed(text);
    if (t.empty()) return std::nullopt;
    return t;
}

namespace {

constexpr std::string_view kShow = "show", kLearn = "learn", kOpen = "open";

std::string_view word(Request::Kind kind) {
    switch (kind) {
    case Request::Kind::learn:
        return kLearn;
    case Request::Kind::open:
        return kOpen;
    case Request::Kind::show:
        break;
    }
    return kShow;
}

}  // namespace

std::string encode(const Request& request) {
    std::string line(word(request.kind));
    if (request.kind != Request::Kind::show) {
        line.push_back(' ');
        line.reserve(line.size() + request.text.size() + 1);
        for (char c : request.text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    if (line.size() > kMaxLine - 1) {
        size_t cut = kMaxLine - 1;
        // Back to the start of a character: never leave half of one.
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    line.push_back('\n');
    return line;
}

Read decode(std::string_view received) {
    Read r;
    const size_t end = received.find('\n');
    if (end == std::string_view::npos) {
        if (received.size() >= kMaxLine) r.state = Read::State::garbage;
        return r;
    }
    r.state = Read::State::garbage;
    if (end + 1 > kMaxLine) return r;
    std::string_view line = received.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!wellFormed(line) || hasControls(line)) return r;
    const size_t space = line.find(' ');
    const std::string_view verb = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    Request request;
    if (verb == kLearn) {
        request.kind = Request::Kind::learn;
    } else if (verb == kOpen) {
        request.kind = Request::Kind::open;
    } else if (verb != kShow || !rest.empty()) {
        return r;
    }
    request.text = topic(rest).value_or("");
    // Opening nothing in particular is coming forward.
    if (request.kind == Request::Kind::open && request.text.empty()) request.kind = Request::Kind::show;
    r.state = Read::State::line;
    r.request = std::move(request);
    return r;
}

std::string socketPath(const char* runtimeDir, unsigned uid, std::string_view tempDir) {
    if (runtimeDir && *runtimeDir == '/') return std::string(runtimeDir) + "/nolby-learn";
    return std::string(tempDir) + "/nolby-learn-" + std::to_string(uid);
}

std::string socketPath() { return socketPath(std::getenv("XDG_RUNTIME_DIR"), getuid()); }

}  // namespace nolby::LearnLine
