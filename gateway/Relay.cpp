#include "ServiceImpl.h"

#include "tutor/Gateway.h"
#include "tutor/Http.h"

#include "ink/J.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>

namespace nolby::service {

namespace {

// The upstream reply on its way from the transfer's thread to the request's thread.
struct Pipe {
    Http::Transfer transfer;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<int> status;
    std::deque<std::string> chunks;
    bool ended = false;
    std::optional<Http::Failure::Kind> failure;

    template <class F>
    void update(F&& f) {
        {
            std::lock_guard lock(mutex);
            f();
        }
        changed.notify_all();
    }
};

// An error body is read up to this size, and quoted in at most kExcerptMax bytes.
constexpr size_t kErrorBodyMax = 64 * 1024;
constexpr size_t kExcerptMax = 160;

bool wordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || std::strchr("-_+/=.:", c) != nullptr;
}

// Whether a word could be a secret: anything that shares eight characters in a row with our
// key, anything shaped like an API key ("sk-..."), or a long run of letters mixed with
// digits (tokens, key ids, hashes).
bool secretLike(std::string_view word, const std::string& key) {
    for (size_t at = 0; at + 8 <= word.size() && key.size() >= 8; ++at)
        if (key.find(word.substr(at, 8)) != std::string::npos) return true;
    if (word.find("sk-") != std::string_view::npos) return true;
    if (word.size() < 20) return false;
    const bool letters = std::any_of(word.begin(), word.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    const bool digits = std::any_of(word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    return letters && digits;
}

}  // namespace

std::string upstreamExcerpt(const std::string& body, const std::string& key) {
    // The model's API says what went wrong in its error's message; anything else is quoted
    // as it came.
    std::string text = body;
    if (std::optional<json> j = parseObject(body)) {
        if (std::optional<J> error = J(*j).obj("error"))
            if (std::optional<std::string> message = error->optStr("message")) text = *message;
    }
    std::string out;
    for (size_t at = 0; at < text.size() && out.size() <= kExcerptMax;) {
        if (!wordChar(text[at])) {
            const unsigned char c = static_cast<unsigned char>(text[at++]);
            if (c < 0x20 || c == 0x7F) {
                if (!out.empty() && out.back() != ' ') out += ' ';  // one line, no control characters
            } else {
                out += static_cast<char>(c);
            }
            continue;
        }
        size_t end = at;
        while (end < text.size() && wordChar(text[end])) ++end;
        const std::string_view word(text.data() + at, end - at);
        out += secretLike(word, key) ? std::string_view("[hidden]") : word;
        at = end;
    }
    // Cut at whole characters, never inside a word that was let through.
    if (out.size() > kExcerptMax) {
        size_t keep = kExcerptMax;
        while (keep > 0 && wordChar(out[keep]) && wordChar(out[keep - 1])) --keep;
        while (keep > 0 && (static_cast<unsigned char>(out[keep]) & 0xC0) == 0x80) --keep;
        out = out.substr(0, keep) + "...";
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

namespace {

}  // namespace

void GatewayService::Impl::relay(json body, uint64_t entry, HttpResponse& res, std::shared_ptr<Allowance::Hold> lesson) {
    // The app asks for fallbacks the model's own API does not know; the model may be pinned.
    body.erase("fallbacks");
    if (options.model) body["model"] = *options.model;
    Http::Request request;
    request.url = Gateway::url(options.upstream, "v1/messages");
    request.headers = {{"content-type", "application/json"},
                       {"x-api-key", options.apiKey},
                       {"anthropic-version", "2023-06-01"}};
    request.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
    request.timeout = 120;

    auto pipe = std::make_shared<Pipe>();
    std::thread([pipe, request = std::move(request)] {
        Http::Events events;
        events.head = [&](int status) { pipe->update([&] { pipe->status = status; }); };
        events.body = [&](std::string_view bytes) { pipe->update([&] { pipe->chunks.emplace_back(bytes); }); };
        std::optional<Http::Failure::Kind> failure = Http::perform(request, events, &pipe->transfer);
        pipe->update([&] {
            pipe->ended = true;
            pipe->failure = failure;
        });
    }).detach();

    // Waits until `ready` holds; false when the service stops first (the upstream is let go).
    auto wait = [&](std::unique_lock<std::mutex>& lock, auto ready) {
        while (!ready()) {
            if (stopping()) {
                pipe->transfer.cancel();
                return false;
            }
            pipe->changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        return true;
    };

    int status;
    {
        std::unique_lock lock(pipe->mutex);
        if (!wait(lock, [&] { return pipe->status || pipe->ended; }) || !pipe->status)
            return answer(res, entry, 502, "The tutor's service could not be reached.\n");
        status = *pipe->status;
    }
    if (status != 200) {
        std::string text;
        {
            std::unique_lock lock(pipe->mutex);
            wait(lock, [&] {
                for (; !pipe->chunks.empty(); pipe->chunks.pop_front()) text += pipe->chunks.front();
                return pipe->ended || text.size() >= kErrorBodyMax;
            });
        }
        pipe->transfer.cancel();
        text.resize(std::min(text.size(), kErrorBodyMax));
        // Whatever the model's API answered is the gateway's failure, not the app's to act on
        // (its 429 and 503 are not the learner's allowance), and its words are quoted only
        // in part and without anything that could be the key.
        const std::string excerpt = upstreamExcerpt(text, options.apiKey);
        return answer(res, entry, 502,
                      "The tutor's service answered " + std::to_string(status) + (excerpt.empty() ? "." : ": " + excerpt) + "\n");
    }

    note(entry, "status", 200);
    res.status = 200;
    res.type = "text/event-stream";
    res.headers.emplace_back("Cache-Control", "no-cache");
    res.stream = [this, entry, pipe, lesson](HttpSink& sink) {
        if (lesson) lesson->charge();
        size_t written = 0;
        for (;;) {
            std::string chunk;
            bool ended;
            std::optional<Http::Failure::Kind> failure;
            {
                std::unique_lock lock(pipe->mutex);
                while (pipe->chunks.empty() && !pipe->ended) {
                    if (stopping()) {
                        pipe->transfer.cancel();
                        note(entry, "ended", "stopped");
                        return false;
                    }
                    pipe->changed.wait_for(lock, std::chrono::milliseconds(50));
                }
                ended = pipe->chunks.empty() && pipe->ended;
                failure = pipe->failure;
                if (!ended) {
                    chunk = std::move(pipe->chunks.front());
                    pipe->chunks.pop_front();
                }
            }
            if (ended) {
                note(entry, "bytes", written);
                note(entry, "ended", failure ? "upstream lost" : "complete");
                return !failure;  // after a failure the app sees the connection drop, as it was
            }
            if (!sink.write(chunk)) {
                pipe->transfer.cancel();
                note(entry, "bytes", written);
                note(entry, "ended", "early");
                return false;
            }
            written += chunk.size();
        }
    };
}

}  // namespace nolby::service
