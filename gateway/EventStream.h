#pragma once
// The tutor's reply as the Messages API streams it: server-sent events in their real order
// (message_start with the input usage, content_block_start, ping, one content_block_delta
// per piece of text, content_block_stop, message_delta with the stop reason and the output
// usage, message_stop). Text pieces are cut at whole characters, never inside one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolby::service {

// Variations the fault switches ask for.
struct StreamShape {
    bool crlf = false;       // lines end with CR LF
    bool bareData = false;   // "data:" without the space after it
    bool refused = false;    // the model stops with the stop reason "refusal"
    std::optional<std::string> category;  // the refusal's category, when it gives one
    bool error = false;      // an error event ends the stream
    bool errorBare = false;  // the error event has no "error" object
    std::string errorMessage = "Overloaded";
    size_t errorAfter = 1;   // events before the error event
    int64_t inputTokens = 0;
    uint64_t seed = 0;       // where the text is cut into pieces
};

// Each element is one whole event: its "event:" and "data:" lines and the blank line after.
std::vector<std::string> events(const std::string& text, const StreamShape& shape);
// The events before any text (message_start, content_block_start, ping): the first three
// of events() for any text.
std::vector<std::string> opening(const StreamShape& shape);

// The text cut into pieces of 1 to 12 whole characters, as the model's deltas come.
std::vector<std::string> pieces(const std::string& text, uint64_t seed);

}  // namespace nolby::service
