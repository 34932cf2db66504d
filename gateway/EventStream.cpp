#include "EventStream.h"

#include "ink/Rng.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace nolby::service {

namespace {

using json = nlohmann::ordered_json;

std::string dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string event(const std::string& type, const json& data, const StreamShape& shape) {
    const char* end = shape.crlf ? "\r\n" : "\n";
    return "event: " + type + end + (shape.bareData ? "data:" : "data: ") + dump(data) + end + end;
}

std::string messageId(uint64_t seed) {
    char id[24];
    std::snprintf(id, sizeof id, "msg_%016llx", static_cast<unsigned long long>(seed));
    return id;
}

}  // namespace

std::vector<std::string> pieces(const std::string& text, uint64_t seed) {
    std::vector<size_t> bounds = unicode::graphemeBounds(text);
    std::vector<std::string> out;
    Rng rng(seed);
    size_t at = 0;  // index into bounds
    while (at + 1 < bounds.size()) {
        size_t take = 1 + static_cast<size_t>(rng.next() % 12);
        size_t next = std::min(at + take, bounds.size() - 1);
        out.push_back(text.substr(bounds[at], bounds[next] - bounds[at]));
        at = next;
    }
    return out;
}

std::vector<std::string> opening(const StreamShape& shape) {
    std::vector<std::string> out;
    json usage = {{"input_tokens", shape.inputTokens},
                  {"cache_creation_input_tokens", 0},
                  {"cache_read_input_tokens", 0},
                  {"output_tokens", 1}};
    out.push_back(event("message_start",
                        {{"type", "message_start"},
                         {"message",
                          {{"id", messageId(shape.seed)},
                           {"type", "message"},
                           {"role", "assistant"},
                           {"content", json::array()},
                           {"model", "nolby-demo"},
                           {"stop_reason", nullptr},
                           {"stop_sequence", nullptr},
                           {"usage", usage}}}},
                        shape));
    out.push_back(event("content_block_start",
                        {{"type", "content_block_start"}, {"index", 0}, {"content_block", {{"type", "text"}, {"text", ""}}}},
                        shape));
    out.push_back(event("ping", {{"type", "ping"}}, shape));
    return out;
}

std::vector<std::string> events(const std::string& text, const StreamShape& shape) {
    std::vector<std::string> out = opening(shape);
    const std::vector<std::string> parts = pieces(text, shape.seed);
    for (const std::string& p : parts)
        out.push_back(event("content_block_delta",
                            {{"type", "content_block_delta"}, {"index", 0}, {"delta", {{"type", "text_delta"}, {"text", p}}}},
                            shape));
    out.push_back(event("content_block_stop", {{"type", "content_block_stop"}, {"index", 0}}, shape));
    json delta = {{"stop_reason", shape.refused ? "refusal" : "end_turn"}, {"stop_sequence", nullptr}};
    if (shape.refused && shape.category) delta["stop_details"] = {{"type", "refusal"}, {"category", *shape.category}};
    const int64_t outputTokens = static_cast<int64_t>(text.size() / 4 + 1);
    out.push_back(event("message_delta",
                        {{"type", "message_delta"}, {"delta", delta}, {"usage", {{"output_tokens", outputTokens}}}},
                        shape));
    out.push_back(event("message_stop", {{"type", "message_stop"}}, shape));
    if (shape.error) {
        json data = {{"type", "error"}};
        if (!shape.errorBare) data["error"] = {{"type", "overloaded_error"}, {"message", shape.errorMessage}};
        out.resize(std::min(out.size(), shape.errorAfter));
        out.push_back(event("error", data, shape));
    }
    return out;
}

}  // namespace nolby::service
