// The server-sent events of a streamed reply, one line at a time.
#include "tutor/Claude.h"

#include "ink/J.h"

namespace nolby {

namespace {

std::string_view trimSpacesAndTabs(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

void Claude::Events::line(std::string_view line) {
    if (failure_) return;
    constexpr std::string_view data = "data:";
    if (line.substr(0, data.size()) != data) return;
    std::optional<J> event = J::parse(trimSpacesAndTabs(line.substr(data.size())));
    if (!event) return;
    const std::string type = event->str("type", "");
    if (type == "message_start") {
        std::optional<J> message = event->obj("message");
        std::optional<J> usage = message ? message->obj("usage") : std::nullopt;
        if (!usage) return;
        usage_.input = usage->int_("input_tokens", 0);
        usage_.cacheRead = usage->int_("cache_read_input_tokens", 0);
        usage_.cacheWrite = usage->int_("cache_creation_input_tokens", 0);
    } else if (type == "content_block_delta") {
        std::optional<J> delta = event->obj("delta");
        if (delta && delta->str("type", "") == "text_delta" && onText_) onText_(delta->str("text", ""));
    } else if (type == "message_delta") {
        if (std::optional<J> delta = event->obj("delta")) {
            stopReason_ = delta->str("stop_reason", stopReason_);
            if (std::optional<J> details = delta->obj("stop_details")) category_ = details->str("category", "");
        }
        if (std::optional<J> usage = event->obj("usage")) usage_.output = usage->int_("output_tokens", usage_.output);
    } else if (type == "error") {
        std::optional<J> error = event->obj("error");
        failure_ = Failure::api(error ? error->str("message", "") : "stream error");
    }
}

std::optional<Claude::Failure> Claude::Events::outcome() const {
    if (failure_) return failure_;
    if (stopReason_ == "refusal") return Failure::refused(category_.empty() ? "refusal" : category_);
    // A stream that ends without a stop reason broke off: what came is not the whole reply.
    if (stopReason_.empty()) return Failure::api(cutOff);
    return std::nullopt;
}

}  // namespace nolby
