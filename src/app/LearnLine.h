#pragma once
// What travels between a second `nolby` and the instance already running on the same data
// folder: one line of UTF-8 text, ended by a line feed, at most kMaxLine bytes with it. The
// line is a word saying what the second start was asked, then, after a space, its text:
//   "show"               nothing more: the running desk comes forward;
//   "learn <topic>"      `nolby --learn "topic"`: a lesson begins on the topic;
//   "open <notebook>"    `nolby -open ...`: the desk opens that notebook.
// The running instance answers "ok" and a line feed once it has read a line (even a blank
// topic, which makes nothing), so the second process knows it may end. No Qt here: the
// framing, the checks and the socket's place are tested headless.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nolby::LearnLine {

// A line this long (line feed included) is the most a sender may send; more is garbage.
inline constexpr size_t kMaxLine = 4096;
inline constexpr std::string_view kReply = "ok\n";

// The topic as the shortcut takes it: white space and line breaks trimmed at both ends; none
// when nothing is left.
std::optional<std::string> topic(std::string_view text);

// What a second start asks of the running instance.
struct Request {
    enum class Kind { show, learn, open };
    Kind kind = Kind::show;
    // learn: the topic; open: the notebook as "-open" names it ("new", "newest", "title:"
    // and a query, or an id). Read back trimmed; a blank topic begins nothing.
    std::string text;
    bool operator==(const Request&) const = default;
};

// The line that hands `request` over: inner line breaks become spaces, a text too long for
// one line is cut at a character boundary, and a line feed ends it.
std::string encode(const Request& request);

// What the receiver reads from the bytes received so far.
struct Read {
    enum class State {
        waiting,  // no line feed yet, and the bytes may still become a line
        line,     // a whole, well-formed line: `request` holds what it asks
        garbage,  // too long, not UTF-8, control characters or no request: drop the connection
    };
    State state = State::waiting;
    std::optional<Request> request;
    bool operator==(const Read&) const = default;
};
Read decode(std::string_view received);

// The socket's path: "nolby-learn" in the per-user runtime folder; without one, a
// per-user name in the temporary folder.
std::string socketPath(const char* runtimeDir, unsigned uid, std::string_view tempDir = "/tmp");
// The same for this process's environment and user.
std::string socketPath();

}  // namespace nolby::LearnLine
