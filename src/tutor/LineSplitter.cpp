#include "tutor/LineSplitter.h"

namespace nolby {

void LineSplitter::feed(std::string_view bytes, const Emit& emit) {
    size_t i = 0;
    if (afterCR_ && !bytes.empty()) {
        afterCR_ = false;
        if (bytes[0] == '\n') i = 1;
    }
    while (i < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            buffer_.append(bytes.substr(i));
            if (buffer_.size() >= kMaxLine) {
                std::string line;
                line.swap(buffer_);
                emit(line);
            }
            return;
        }
        std::string_view line = bytes.substr(i, end - i);
        if (!buffer_.empty()) {
            buffer_.append(line);
            line = buffer_;
        }
        i = end + 1;
        if (bytes[end] == '\r') {
            if (i < bytes.size()) {
                if (bytes[i] == '\n') ++i;
            } else {
                afterCR_ = true;
            }
        }
        const bool go = emit(line);
        buffer_.clear();
        if (!go) return;
    }
}

void LineSplitter::finish(const Emit& emit) {
    afterCR_ = false;
    if (buffer_.empty()) return;
    std::string line;
    line.swap(buffer_);
    emit(line);
}

}  // namespace nolby
