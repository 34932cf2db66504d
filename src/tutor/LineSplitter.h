#pragma once
// Cuts a byte stream into lines at LF, CRLF and CR, wherever the pieces it arrives in are
// cut (a CRLF split between two pieces is still one line end). Lines are handed over
// without their ends; a final line without an end comes with finish().

#include <functional>
#include <string>
#include <string_view>

namespace nolby {

class LineSplitter {
public:
    // Receives one line; returns false to stop at once (the rest of that piece is dropped).
    using Emit = std::function<bool(std::string_view line)>;

    // A line that never ends is handed over in pieces of this many bytes, so a stream
    // without line ends cannot grow the buffer without bound.
    static constexpr size_t kMaxLine = size_t(1) << 26;

    void feed(std::string_view bytes, const Emit& emit);
    // The last line when the stream did not end with a line end. Leaves the splitter empty.
    void finish(const Emit& emit);

private:
    std::string buffer_;   // the start of a line whose end has not arrived
    bool afterCR_ = false;  // the last piece ended with CR: an LF first in the next is its pair
};

}  // namespace nolby
