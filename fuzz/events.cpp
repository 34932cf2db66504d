// A tutor reply's event stream as the gateway sends it: the first byte seeds where the bytes
// are cut into pieces; the rest is the stream. Read through the gateway client's line cutter
// and the model client's event reader: no crash, text only from text deltas, and an outcome
// that is a reply or one failure.
#include "FuzzSupport.h"
#include "ink/Rng.h"
#include "tutor/Claude.h"
#include "tutor/LineSplitter.h"

#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Rng cuts(data[0]);
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t texts = 0, textBytes = 0;
    Claude::Events events([&](std::string_view text) {
        ++texts;
        textBytes += text.size();
    });
    LineSplitter lines;
    const auto take = [&](std::string_view line) {
        events.line(line);
        return true;
    };
    for (size_t at = 0; at < stream.size();) {
        const size_t n = std::min<size_t>(1 + cuts.next() % 64, stream.size() - at);
        lines.feed(stream.substr(at, n), take);
        at += n;
    }
    lines.finish(take);
    // Every text delta came from a line of its own.
    require(textBytes <= stream.size());
    const std::optional<Claude::Failure> outcome = events.outcome();
    if (events.failure()) require(outcome && outcome->kind() == Claude::Failure::Kind::api);
    if (!outcome) require(!events.stopReason().empty() && events.stopReason() != "refusal");
    const Claude::Usage& u = events.usage();
    require(u.input >= -1'000'000'000'000 && u.input <= 1'000'000'000'000);
    (void)texts;
    return 0;
}
