// Counting lines without writing them gives the lines write() writes, whatever the text holds.
#include "ink/Hand.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(HandLineCount, CountsTheLinesWriteWrites) {
    Faces::registerFrom();
    struct Case {
        std::string text;
        double width;
        bool marks;
    };
    const Case cases[] = {
        {"", 300, true},
        {"one line", 300, true},
        {"a\nb\n\nc", 300, true},
        {"trailing break\n", 300, true},
        {"why are two quarters one half why are two quarters one half why are two quarters one half", 120, false},
        {"{ring:ringed} words ((and rings)) take room: {ring:ringed} {ring:ringed} {ring:ringed}", 160, true},
        {"{ring:ringed} words take room: {ring:ringed} {ring:ringed} {ring:ringed}", 160, false},
        {"maths $\\frac{1}{2} + \\frac{1}{4} = \\frac{3}{4}$ and `code spans` too", 140, true},
        {"{grey:\xE2\x80\x9C" "energy\xE2\x80\x9D \xE2\x86\x92} and a margin note", 90, false},
        {"unbreakablewordthatislongerthanthecolumnitself", 60, true},
    };
    for (const Case& c : cases) {
        Hand writer(1), counter(1);
        const size_t written = writer.write(c.text, 0, 0, c.width, 17, Ink::ink, Faces::Face::hand, std::nullopt,
                                            Hand::Align::left, c.marks).lines.size();
        EXPECT_EQ(counter.lineCount(c.text, c.width, 17, Faces::Face::hand, c.marks), written) << c.text;
    }
}
