// The question block: "your turn" in pencil, a spark, the question in the accent, and an
// answer area of dotted rules, the one room any block leaves for the learner.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The answer area's height in hundredths of the column width: at most 60, at least 6.
double spaceOf(const J& o) {
    double space = o.num("space", 12);
    if (!std::isfinite(space)) space = 12;
    if (space > 60) space = 60;
    if (space <= 6) space = 6;
    return space;
}

}  // namespace

Laid Blocks::ask(const J& o, uint64_t seed) const {
    const double W = columnWidth();
    Laid laid;

    Hand label(seed + 7);
    Hand::Result written = label.write("your turn", 46, 0, W - 22, kSecondarySize, Ink::pencil);
    laid.ops = written.ops;
    const double y = written.height + 1;

    Fig spark(seed + 3, 0, 0, 1, 0, 12.5, 1.55);
    spark.doodle("spark", 31, y + 10.54, 13, accent, std::nullopt);
    laid.ops.insert(laid.ops.end(), spark.ops.begin(), spark.ops.end());

    Hand question(seed);
    Hand::Result q = question.write(o.str("text", ""), 46, y, W - 22, kBodySize, accent);
    laid.ops.insert(laid.ops.end(), q.ops.begin(), q.ops.end());

    const double roomH = std::max((W / 100) * spaceOf(o), 28.9);
    const double y0 = y + q.height + 8;

    // Straight dotted rules a line apart, the first one line down; always at least one.
    Path rules;
    double yr = y0 + 22;
    int count = 0;
    do {
        rules.moveTo(27, yr);
        rules.lineTo(geo.pageW - 27, yr);
        yr = yr + 24.14;
    } while (yr < y0 + roomH - 2 && ++count < kMaxAskRules);
    Pen pen = Pen::usual(Ink::faint, 1.6);
    pen.dash = std::vector<double>{0.1, 5.5};  // with round caps: dots 5.6 apart
    appendStroke(laid.ops, std::move(rules), pen, 1, 2.5, 0.25);

    laid.height = y0 + roomH;
    laid.rooms.push_back({27, y0, geo.pageW - 54, roomH});
    return laid;
}

}  // namespace nolby
