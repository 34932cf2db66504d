#pragma once
// What travels between a second `nolby --learn "topic"` and the instance already running:
// one line of UTF-8 text, the topic, ended by a line feed, at most kMaxLine bytes with it.
// The running instance answers "ok" and a line feed once it has read a line (even a blank
// one, which makes nothing), so the second process knows it may end. No Qt here: the
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

// The line that hands `topic` over: inner line breaks become spaces, a topic too long for
// one line is cut at a character boundary, and a line feed ends it.
std::string encode(std::string_view topic);

// What the receiver reads from the bytes received so far.
struct Read {
    enum class State {
        waiting,  // no line feed yet, and the bytes may still become a line
        line,     // a whole, well-formed line: `topic` holds its topic, none when blank
        garbage,  // too long, not UTF-8, or control characters: drop the connection
    };
    State state = State::waiting;
    std::optional<std::string> topic;
    bool operator==(const Read&) const = default;
};
Read decode(std::string_view received);

// The socket's path: "nolby-learn" in the per-user runtime folder; without one, a
// per-user name in the temporary folder.
std::string socketPath(const char* runtimeDir, unsigned uid, std::string_view tempDir = "/tmp");
// The same for this process's environment and user.
std::string socketPath();

}  // namespace nolby::LearnLine
