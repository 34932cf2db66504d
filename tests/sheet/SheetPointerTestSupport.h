#pragma once
// A sheet's input on a real notebook model, without a view: a host that records what the
// input asks of the view, a layout set by hand (scale 1 unless a test says otherwise, so
// sheet and page points differ by plain offsets), and blocks whose ink is primed with
// phrases of chosen widths, so every word box is known exactly.

#include "../model/NoteTestSupport.h"

#include "ink/ops/PhraseOp.h"
#include "sheet/SheetKeys.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetPointer.h"
#include "sheet/SheetPointerHost.h"
#include "sheet/SheetTextInput.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace nolby::test {

constexpr double kWordSize = 10;

// A run of the given text and width, its baseline at (x, y).
inline PhraseOp::Run wordRun(std::string text, double x, double y, double width) {
    GlyphRun g;
    g.text = std::move(text);
    g.width = width;
    return {g, x, y, Ink::ink};
}

// A run's word box: from 0.82 of the size above its baseline, 1.08 of it high.
inline Rect wordBox(double x, double y, double width) { return {x, y - 0.82 * kWordSize, width, 1.08 * kWordSize}; }

// Primes a block's ink with one phrase of runs.
inline void primeWords(NotebookModel& m, const PageItem& item, std::vector<PhraseOp::Run> runs) {
    m.cache->prime(item, {std::make_shared<PhraseOp>(std::move(runs), kWordSize)}, m.geo());
}

inline void expectNear(const Rect& got, const Rect& want) {
    EXPECT_NEAR(got.minX(), want.minX(), 1e-9);
    EXPECT_NEAR(got.minY(), want.minY(), 1e-9);
    EXPECT_NEAR(got.width(), want.width(), 1e-9);
    EXPECT_NEAR(got.height(), want.height(), 1e-9);
}

class HostRecorder : public SheetPointerHost {
public:
    std::shared_ptr<NotebookModel> shown;
    std::optional<SheetLayout> laid;
    Rect visible{0, 0, 800, 600};
    bool follow = true;
    bool hasClose = false;

    int redraws = 0, publishes = 0, relayouts = 0, haptics = 0, closes = 0;
    std::optional<std::string> clip;
    struct Scroll {
        double y;
        bool animated;
        bool operator==(const Scroll&) const = default;
    };
    std::vector<Scroll> scrolls;
    struct LookUp {
        std::string phrase;
        Point at;
        double size;
    };
    std::vector<LookUp> lookUps;
    struct Dive {
        std::string words, passage;
        int page;
        std::vector<Rect> rects;
    };
    std::vector<Dive> dives;
    std::vector<Uuid> opened;

    std::shared_ptr<NotebookModel> model() override { return shown; }
    const SheetLayout* layout() override { return laid ? &*laid : nullptr; }
    Rect visibleRect() override { return visible; }
    void scrollTo(double y, bool animated) override { scrolls.push_back({y, animated}); }
    void setFollowing(bool on) override { follow = on; }
    void selectionChanged() override { ++redraws; }
    void publishSelection() override { ++publishes; }
    void setNeedsRelayout() override { ++relayouts; }
    std::optional<std::string> clipboardText() override { return clip; }
    void setClipboardText(const std::string& text) override { clip = text; }
    void haptic() override { ++haptics; }
    void lookUp(const std::string& phrase, Point at, double size) override { lookUps.push_back({phrase, at, size}); }
    void dive(const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects) override {
        dives.push_back({words, passage, page, rects});
    }
    void open(const Uuid& dive) override { opened.push_back(dive); }
    bool close() override {
        if (hasClose) ++closes;
        return hasClose;
    }
};

// A layout of the given slices at scale 1 with the page column at x 100 under a head 40
// tall. Each slice is (page, top, height); they stack from the head down.
inline SheetLayout handLayout(std::vector<std::array<double, 3>> slices, double pageW = 400, double scale = 1) {
    SheetLayout l;
    l.width = 600;
    l.scale = scale;
    l.x = 100;
    l.pageW = pageW;
    l.head = 40;
    double y = l.head;
    for (const auto& s : slices) {
        l.slices.push_back({static_cast<int>(s[0]), s[1], s[2], y});
        y += std::round(scale * s[2]);
    }
    l.height = std::max(y, 600.0);
    return l;
}

// A sheet's input on a model: the host, the typing state, the pointer, the keyboard.
struct InputRig {
    ModelRig rig;
    HostRecorder host;
    SheetTyping typing;
    SheetPointer pointer{host, typing};
    SheetTextInput input{host, typing, pointer};

    NotebookModel& open(Notebook n) {
        NotebookModel& m = rig.open(std::move(n));
        host.shown = rig.model;
        return m;
    }
    NotebookModel& model() { return *rig.model; }
    // The sheet point of a page point through the page's slice.
    Point sheet(int page, Point p) const {
        const SheetLayout& l = *host.laid;
        const SheetLayout::Slice* s = l.sliceOf(page);
        return {l.x + p.x * l.scale, s->y + (p.y - s->top) * l.scale};
    }
    void click(int page, Point p, int clicks = 1, bool shift = false) {
        pointer.down(sheet(page, p), clicks, shift);
        pointer.up();
    }
    void key(SheetKeys::Key k, SheetKeys::Modifiers m = {}) {
        if (auto c = SheetKeys::command(k, m)) SheetKeys::perform(*c, m.shift, input);
    }
};

}  // namespace nolby::test
