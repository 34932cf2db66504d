#pragma once
// Typing into the open note as the sheet does (character by character, in place), tutor
// blocks laid out for real, and a learner's pen stroke.
#include "ModelTestSupport.h"

#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"

#include <string>
#include <string_view>

namespace nolby::test {

// Appends the text to the open note one byte at a time, each an in-place change.
inline void type(NotebookModel& m, std::string_view text) {
    for (char c : text) m.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text.push_back(c); });
}

// Takes the last `count` bytes off the open note, one at a time.
inline void erase(NotebookModel& m, size_t count) {
    for (size_t i = 0; i < count; ++i)
        m.editing.modify([](std::optional<NotebookModel::Editing>& e) {
            if (!e->text.empty()) e->text.pop_back();
        });
}

inline const NotebookModel::Editing& open(const NotebookModel& m) { return *m.editing.get(); }

// A tutor block whose ink is laid out by the real block layout, its height as laid out.
inline BlockItem laidBlock(const std::string& json, double y, double pageW = 400, double pageH = 869) {
    BlockItem b;
    b.json = json;
    b.y = y;
    b.seed = 11;
    Blocks blocks{Geo{pageW, pageH}, Ink::color(std::string("blue"), Ink::ink)};
    b.h = blocks.lay(J::parse(json).value_or(J()), b.seed).height;
    return b;
}

// A question block with its answer room, laid out for real.
inline BlockItem askBlock(double y, std::string text = "What is half of 8?") {
    return laidBlock(R"({"t":"ask","text":")" + text + R"("})", y);
}

// A pen stroke of a few samples from (x, y) rightwards, with 32-bit samples that do not
// round-trip through sums.
inline StrokeItem penStroke(double x, double y, std::optional<int64_t> turn = std::nullopt) {
    StrokeItem s;
    for (int i = 0; i < 5; ++i) {
        s.pts.push_back(static_cast<float>(x + 7.3 * i));
        s.pts.push_back(static_cast<float>(y + 0.37 * i));
        s.pts.push_back(0.5f);
    }
    s.color = "learner";
    s.width = 2.5;
    s.tool = "pen";
    s.turn = turn;
    return s;
}

}  // namespace nolby::test
