#include "ServiceImpl.h"

#include "tutor/Gateway.h"
#include "tutor/Http.h"

#include <condition_variable>

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

// Error bodies are passed on up to this size.
constexpr size_t kErrorBodyMax = 64 * 1024;

}  // namespace

void GatewayService::Impl::relay(json body, size_t entry, httplib::Response& res) {
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
            if (stopping) {
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
        // Its refusals of our key and its own limits are not the app's to act on.
        if (status == 401 || status == 429 || status == 503)
            return answer(res, entry, 502, "The tutor's service refused the request (" + std::to_string(status) + "): " + text);
        return answer(res, entry, status, text);
    }

    note(entry, "status", 200);
    res.status = 200;
    res.set_header("Cache-Control", "no-cache");
    res.set_chunked_content_provider("text/event-stream", [this, entry, pipe](size_t, httplib::DataSink& sink) {
        size_t written = 0;
        for (;;) {
            std::string chunk;
            bool ended;
            std::optional<Http::Failure::Kind> failure;
            {
                std::unique_lock lock(pipe->mutex);
                while (pipe->chunks.empty() && !pipe->ended) {
                    if (stopping) {
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
                if (failure) return false;  // the app sees the connection drop, as it was
                sink.done();
                return true;
            }
            if (!sink.write(chunk.data(), chunk.size())) {
                pipe->transfer.cancel();
                note(entry, "bytes", written);
                note(entry, "ended", "early");
                return false;
            }
            written += chunk.size();
        }
    });
}

}  // namespace nolby::service
