#pragma once
// The launch arguments that put the app into a known state without any clicking (an
// appearance, a notebook to open, a page, a writing speed, a stall, a replay, a note to
// write, a question to ask, frozen page turns), the benchmark's quit switch and the Learn
// shortcut's topic. Plain C++: read from the argument list, tested without Qt.
//
// A keyed argument is the key followed by its value as the next argument; a flag counts
// wherever it stands. Unknown arguments, a key given last (no value) and values that do not
// parse are ignored without a message: these switches are for scripts and benchmarks, and a
// mistyped one must never stop the app from starting.

#include "platform/Geometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

struct LaunchArguments {
    enum class Appearance { light, dark };

    // "-appearance": light for exactly "light", dark for any other value.
    std::optional<Appearance> appearance;
    // "-open": "new", "newest", "title:" and a query, or a notebook id; the text as given.
    std::optional<std::string> open;
    // "-page": the page number as given (from 1); its range is checked against the notebook.
    std::optional<int> page;
    // "-speed": the writing speed multiplier, finite and above 0.
    std::optional<double> speed;
    // "-stall": milliseconds the main thread is blocked every half second, finite, above 0.
    std::optional<double> stall;
    // "-replay": the current page's tutor blocks are written again.
    bool replay = false;
    // "-write": the note's text, each backslash-n already a line break.
    std::optional<std::string> write;
    // "-writeAt": "x,y" in page points.
    std::optional<Point> writeAt;
    // "-about": a word on the current page the note is about.
    std::optional<std::string> about;
    // "-ask": the tutor is asked 0.6 s after the hooks ran.
    bool ask = false;
    // "-leaf" and "-curl": page-turn progress, held to 0…1.
    std::optional<double> leaf;
    std::optional<double> curl;
    // "-quit-after-shelf": the app ends once the shelf has been drawn (start-up benchmark).
    bool quitAfterShelf = false;
    // "-warmup": the tutor asks for a warm-up whatever the time away.
    bool warmup = false;
    // "-gateway-at": where a running gateway is looked for before the app starts its own
    // (an http address; the built-in one otherwise). NOLBY_API, when set, wins over both.
    std::optional<std::string> gatewayAt;

    // "--learn": the app was started to learn something. `topic` is the next argument,
    // trimmed (it may be blank, which the shortcut ignores); none when --learn stood last or
    // before another switch of ours, and the app asks for the topic.
    struct Learn {
        std::optional<std::string> topic;
        bool operator==(const Learn&) const = default;
    };
    std::optional<Learn> learn;

    bool operator==(const LaunchArguments&) const = default;

    // `args` is the whole argument list: the program path first, then the arguments.
    static LaunchArguments parse(const std::vector<std::string>& args);
    static LaunchArguments parse(int argc, const char* const* argv);

    // The argument after the first one equal to `key` (exact, case-sensitive); none when the
    // key is absent or stands last. The program path is never taken for a key.
    static std::optional<std::string> value(const std::vector<std::string>& args, std::string_view key);
    // The argument is present anywhere after the program path.
    static bool flag(const std::vector<std::string>& args, std::string_view name);

    // Each keyed value as its hook reads it; none when it does not parse.
    static std::optional<int> parsePage(std::string_view text);
    static std::optional<double> parseSpeed(std::string_view text);
    static std::optional<double> parseStall(std::string_view text);
    static std::optional<Point> parseWriteAt(std::string_view text);
    static std::optional<double> parseProgress(std::string_view text);
    static std::string noteText(std::string_view text);
};

}  // namespace nolby
