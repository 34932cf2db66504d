// The request of one tutor reply and its stream through the gateway.
#include "tutor/Claude.h"

#include "platform/Unicode.h"
#include "tutor/Spend.h"

#include <utility>

namespace nolby {

namespace {

std::string httpText(int status) {
    return "The tutor couldn't write just now (" + std::to_string(status) + "). Try again in a moment.";
}

}  // namespace

Claude::Failure::Failure(Kind kind, int status, std::string detail, const std::string& text)
    : std::runtime_error(text), kind_(kind), status_(status), detail_(std::move(detail)) {}

Claude::Failure Claude::Failure::http(int status, std::string body) {
    return Failure(Kind::http, status, std::move(body), httpText(status));
}

Claude::Failure Claude::Failure::refused(std::string category) {
    return Failure(Kind::refused, 0, std::move(category),
                   "The tutor would rather not answer that one. Try asking another way.");
}

Claude::Failure Claude::Failure::api(std::string message) {
    const std::string text = message;
    return Failure(Kind::api, 0, std::move(message), text);
}

nlohmann::json Claude::body(const Request& r) {
    return {
        {"model", modelId},
        {"max_tokens", r.maxTokens},
        {"stream", true},
        {"system", nlohmann::json::array({{{"type", "text"}, {"text", r.system}, {"cache_control", {{"type", "ephemeral"}}}}})},
        {"messages", nlohmann::json::array({{{"role", "user"}, {"content", r.content}}})},
        {"output_config", {{"effort", r.effort}}},
        {"fallbacks", "default"},
    };
}

Http::Headers Claude::headers(const Request& r) {
    if (!r.lesson) return {};
    return {{"x-nolby-op", "lesson"}};
}

namespace {

// One stream: the event reader over the gateway's lines, a refused request's text, and the
// one end it reports.
class StreamCall final : public Gateway::Call, public std::enable_shared_from_this<StreamCall> {
public:
    StreamCall(std::shared_ptr<Defaults> spend, std::function<Date()> now, Claude::Handlers handlers)
        : spend_(std::move(spend)), now_(std::move(now)), handlers_(std::move(handlers)),
          events_([this](std::string_view text) {
              if (!done_ && handlers_.onText) handlers_.onText(text);
          }) {}

    void start(Gateway& gateway, const Claude::Request& request) {
        Gateway::Reader reader;
        reader.lines = true;
        // The gateway keeps its call, and so this one, alive until it ends.
        auto self = shared_from_this();
        reader.onResponse = [self](int status) { self->status_ = status; };
        reader.onBody = [self](std::string_view line) { self->line(line); };
        reader.onEnd = [self](std::exception_ptr error) { self->end(error); };
        inner_ = gateway.send(Claude::path, Claude::body(request), Claude::headers(request), Claude::timeout,
                              std::move(reader));
    }

    void cancel() override {
        if (done_) return;
        done_ = true;
        cancelled_ = true;
        if (auto inner = std::exchange(inner_, {}).lock()) inner->cancel();
    }
    bool cancelled() const override { return cancelled_; }

private:
    void line(std::string_view line) {
        if (done_) return;
        if (status_ != 200) {
            errorText_ += line;
            if (unicode::graphemeCount(errorText_) >= Claude::errorTextMax)
                stop(std::make_exception_ptr(Claude::Failure::http(status_, errorText_)));
            return;
        }
        events_.line(line);
        if (events_.failure()) stop(std::make_exception_ptr(*events_.failure()));
    }

    void end(std::exception_ptr error) {
        if (done_) return;
        if (error) return finish(std::nullopt, error);
        if (status_ != 200) return finish(std::nullopt, std::make_exception_ptr(Claude::Failure::http(status_, errorText_)));
        if (std::optional<Claude::Failure> failed = events_.outcome())
            return finish(std::nullopt, std::make_exception_ptr(*failed));
        if (spend_) Spend::add(*spend_, events_.usage(), now_ ? now_() : ReferenceClock::now());
        finish(events_.usage(), nullptr);
    }

    // Stops reading the body and ends with `error`.
    void stop(std::exception_ptr error) {
        if (auto inner = std::exchange(inner_, {}).lock()) inner->cancel();
        finish(std::nullopt, error);
    }

    void finish(std::optional<Claude::Usage> usage, std::exception_ptr error) {
        if (done_) return;
        done_ = true;
        inner_.reset();
        auto onEnd = std::move(handlers_.onEnd);
        handlers_ = {};
        if (onEnd) onEnd(usage, error);
    }

    std::shared_ptr<Defaults> spend_;
    std::function<Date()> now_;
    Claude::Handlers handlers_;
    Claude::Events events_;
    // Weak: the gateway's call keeps itself alive until it ends, and its reader holds this
    // one; holding it back would make a ring that outlives a call that never ends.
    std::weak_ptr<Gateway::Call> inner_;
    int status_ = 0;
    std::string errorText_;
    bool done_ = false, cancelled_ = false;
};

}  // namespace

std::shared_ptr<Gateway::Call> Claude::stream(Gateway& gateway, std::shared_ptr<Defaults> spend,
                                              std::function<Date()> now, Request request, Handlers handlers) {
    auto call = std::make_shared<StreamCall>(std::move(spend), std::move(now), std::move(handlers));
    call->start(gateway, request);
    return call;
}

}  // namespace nolby
