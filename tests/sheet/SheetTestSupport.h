#pragma once
// A sheet view on a notebook model with the manual clock and scheduler, hosted by a
// recording stand-in for the scroll area: it keeps a scroll position within the document,
// tells the sheet about every scroll as the real one does, and counts what it was asked.

#include "../model/ModelTestSupport.h"
#include "sheet/SheetView.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace nolby::test {

class RecordingHost final : public HeadlessSheetHost {
public:
    RecordingHost() : HeadlessSheetHost({1000, 800}) {}
    bool active = true;
    int focusCalls = 0;
    std::vector<double> scrolls;  // every position scrolled to

    double y() const { return scrollPosition(); }
    void setScrollPosition(double to) override {
        const double was = scrollPosition();
        HeadlessSheetHost::setScrollPosition(to);
        if (scrollPosition() != was) scrolls.push_back(scrollPosition());
    }
    bool windowActive() const override { return active; }
    void focus() override {
        ++focusCalls;
        if (auto s = sheet.lock()) s->becomeFirstResponder();
    }
};

// A head of a fixed height that draws nothing; its height can change.
class FixedHead final : public SheetHeadSource {
public:
    explicit FixedHead(double height) : height(height) {}
    double height;
    double layout(double, double) override { return height; }
    void paint(cairo_t*, double) override {}
    void onChange(std::function<void()> changed) override { tell = std::move(changed); }
    std::function<void()> tell;
};

struct SheetRig {
    ModelRig rig;
    RecordingHost host;
    std::shared_ptr<SheetState> state = std::make_shared<SheetState>();
    std::shared_ptr<SheetView> sheet;

    NotebookModel& open(Notebook notebook) { return rig.open(std::move(notebook)); }
    NotebookModel& model() { return *rig.model; }
    ManualScheduler& scheduler() { return rig.scheduler(); }

    // The sheet made on the model and hosted; `head` none: no head.
    SheetView& show(std::shared_ptr<SheetHeadSource> head = nullptr, bool inWindow = false) {
        sheet = SheetView::make(rig.model, state, {rig.store.scheduler, nullptr, 1});
        host.sheet = sheet;
        sheet->setHost(&host);
        if (head) sheet->setHead(std::move(head));
        if (inWindow) sheet->attach(true);
        scheduler().runPosted();
        return *sheet;
    }
};

}  // namespace nolby::test
