#include "tutor/LineSplitter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nolby;

namespace {

std::vector<std::string> split(const std::vector<std::string>& pieces) {
    LineSplitter s;
    std::vector<std::string> lines;
    auto emit = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    for (const std::string& p : pieces) s.feed(p, emit);
    s.finish(emit);
    return lines;
}

std::vector<std::string> bytes(const std::string& text) {
    std::vector<std::string> out;
    for (char c : text) out.emplace_back(1, c);
    return out;
}

}  // namespace

TEST(LineSplitter, CutsAtLfCrlfAndCrWhereverThePiecesAreCut) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\n", {""}},
        {"tail", {"tail"}},
        {"data: {\"x\": \"é\"}\r\n\r\nevent: ping", {"data: {\"x\": \"é\"}", "", "event: ping"}},
        {"", {}},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(split({text}), lines) << text;
        EXPECT_EQ(split(bytes(text)), lines) << "byte by byte: " << text;
        // Every two-piece cut, so a CR LF split across pieces is tested at every place.
        for (size_t cut = 0; cut <= text.size(); ++cut)
            EXPECT_EQ(split({text.substr(0, cut), text.substr(cut)}), lines) << text << " cut at " << cut;
    }
}

TEST(LineSplitter, StopsTheMomentTheReceiverSaysSo) {
    LineSplitter s;
    std::vector<std::string> lines;
    s.feed("a\nb\nc\n", [&](std::string_view line) {
        lines.emplace_back(line);
        return lines.size() < 2;
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
}
