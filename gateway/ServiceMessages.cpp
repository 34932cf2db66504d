#include "DemoTutor.h"
#include "ServiceImpl.h"

#include "ink/J.h"
#include "ink/Rng.h"

#include <algorithm>

namespace nolby::service {

namespace {

// The shape and the writing of one reply, from the faults that are on.
void apply(const std::vector<Fault>& faults, StreamShape& shape, WritePlan& plan) {
    for (const Fault& f : faults) {
        const J j(f.settings);
        if (f.kind == "crlf") shape.crlf = true;
        else if (f.kind == "bare-data") shape.bareData = true;
        else if (f.kind == "refusal") {
            shape.refused = true;
            shape.category = j.optStr("category");
        } else if (f.kind == "error") {
            shape.error = true;
            shape.errorBare = j.bool_("bare", false);
            shape.errorMessage = j.str("message", "Overloaded");
            shape.errorAfter = static_cast<size_t>(std::max<int64_t>(j.int_("after", 1), 0));
        } else if (f.kind == "cut") {
            plan.cutAfter = static_cast<size_t>(std::max<int64_t>(j.int_("after", 3), 0));
        } else if (f.kind == "stall") {
            plan.stallAfter = static_cast<size_t>(std::max<int64_t>(j.int_("after", 3), 0));
            plan.stallSeconds = std::clamp(j.num("seconds", 10), 0.0, 3600.0);
        } else if (f.kind == "split") {
            plan.split = static_cast<size_t>(std::clamp<int64_t>(j.int_("bytes", 1), 1, 1 << 20));
        }
    }
}

bool isDelta(const std::string& event) { return event.rfind("event: content_block_delta", 0) == 0; }

}  // namespace

void GatewayService::Impl::messages(const HttpRequest& req, HttpResponse& res) {
    std::optional<SessionToken> token = admitted(req);
    if (!token) return refuse(res, req, 401, "The session token was not accepted.\n");
    std::optional<json> body = parseObject(req.body);
    const uint64_t entry = record(req, body);
    if (resting(res, entry)) return;
    if (!body) return answer(res, entry, 400, "The request body is not a JSON object.\n");

    // A lesson is held now and spent only once its reply streams.
    std::shared_ptr<Allowance::Hold> lesson;
    if (req.header("x-nolby-op") == "lesson") {
        const int64_t day = today();
        lesson = allowance.hold(token->installation, day, unixNow());
        if (!lesson)
            return answer(res, entry, 429, json{{"error", "allowance"}, {"resetsAt", isoUtc((day + 1) * 86400)}}.dump(),
                          "application/json");
    }

    std::vector<Fault> faults =
        take({"status", "limit", "refusal", "error", "cut", "stall", "crlf", "bare-data", "split"});
    for (const Fault& f : faults) {
        const J j(f.settings);
        if (f.kind == "status")
            return answer(res, entry, static_cast<int>(std::clamp<int64_t>(j.int_("status", 500), 200, 599)),
                          j.str("text", "The tutor is not available.\n"));
        if (f.kind == "limit")
            return answer(res, entry, j.int_("status", 429) == 503 ? 503 : 429, j.str("body", "{\"error\": \"allow"),
                          "application/json");
    }

    std::optional<std::string> queued;
    {
        std::lock_guard lock(mutex);
        if (!queue.empty()) {
            queued = std::move(queue.front());
            queue.pop_front();
        }
    }
    if (!queued && !options.apiKey.empty()) return relay(std::move(*body), entry, res, std::move(lesson));

    StreamShape shape;
    WritePlan plan;
    shape.seed = stableHash(req.body);
    shape.inputTokens = static_cast<int64_t>(req.body.size() / 4);
    plan.seed = shape.seed;
    plan.pace = queued ? 0 : options.demoPace;
    apply(faults, shape, plan);
    note(entry, "status", 200);
    std::function<std::string()> text;
    if (queued) text = [t = std::move(*queued)] { return t; };
    else text = [b = std::move(*body)] { return DemoTutor::reply(b); };
    stream(res, entry, shape, plan, std::move(text), std::move(lesson));
}

void GatewayService::Impl::stream(HttpResponse& res, uint64_t entry, StreamShape shape, WritePlan plan,
                                  std::function<std::string()> text, std::shared_ptr<Allowance::Hold> lesson) {
    res.status = 200;
    res.type = "text/event-stream";
    res.headers.emplace_back("Cache-Control", "no-cache");
    res.stream = [this, entry, shape, plan, text = std::move(text), lesson](HttpSink& sink) {
        if (lesson) lesson->charge();
        // The opening events do not depend on the text (an error cuts in where it says).
        std::vector<std::string> events = opening(shape);
        if (shape.error) events.resize(std::min(events.size(), shape.errorAfter));
        const size_t early = events.size();
        Rng rng(plan.seed);
        std::string pending;
        size_t sent = 0;           // bytes written so far
        std::vector<size_t> ends;  // where each event queued so far ends, in bytes
        // Writes what is pending in pieces cut anywhere (or of the fixed size asked for).
        auto flush = [&] {
            size_t at = 0;
            while (at < pending.size()) {
                size_t n = plan.split ? plan.split : 1 + static_cast<size_t>(rng.next() % 1500);
                n = std::min(n, pending.size() - at);
                if (!sink.write(std::string_view(pending).substr(at, n))) return false;
                at += n;
                sent += n;
            }
            pending.clear();
            return true;
        };
        // Records how the stream ended and how many whole events went out.
        auto end = [&](const char* how) {
            note(entry, "events", std::upper_bound(ends.begin(), ends.end(), sent) - ends.begin());
            note(entry, "ended", how);
            return false;
        };
        for (size_t i = 0;; ++i) {
            if (i == early) {
                if (!flush()) return end("early");
                events = service::events(text(), shape);
            }
            if (i >= events.size()) break;
            if (plan.cutAfter && i == *plan.cutAfter) {
                if (!flush()) return end("early");
                return end("cut");  // the connection closes without the stream's last chunk
            }
            if (plan.stallAfter && i == *plan.stallAfter) {
                if (!flush()) return end("early");
                if (!sleep(plan.stallSeconds)) return end("stopped");
            }
            pending += events[i];
            ends.push_back(sent + pending.size());
            if (plan.pace > 0 && isDelta(events[i])) {
                if (!flush()) return end("early");
                if (!sleep(plan.pace)) return end("stopped");
            }
        }
        if (!flush()) return end("early");
        end("complete");
        return true;
    };
}

}  // namespace nolby::service
