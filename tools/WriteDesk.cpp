#include "WriteDesk.h"

#include "ink/Ink.h"
#include "ink/Mag.h"
#include "ink/blocks/Blocks.h"
#include "page/PaperView.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace nolby::tools {

std::shared_ptr<const Image> samplePainting(int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_pattern_t* wash = cairo_pattern_create_linear(0, 0, w, h);
    cairo_pattern_add_color_stop_rgb(wash, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(wash, 1, 0.75, 0.85, 0.95);
    cairo_set_source(cr, wash);
    cairo_paint(cr);
    cairo_pattern_destroy(wash);
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) * 0.4;
    cairo_set_source_rgb(cr, 0.95, 0.75, 0.3);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.85, 0.2, 0.2);
    for (int i = 0; i < 7; ++i) {
        cairo_arc(cr, cx + 0.55 * r * std::cos(i * 0.9), cy + 0.45 * r * std::sin(i * 0.9), 0.12 * r, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_set_line_width(cr, std::max(2.0, r / 25));
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    for (int i = 0; i < 4; ++i) {
        const double a = i * M_PI / 4;
        cairo_move_to(cr, cx - r * std::cos(a), cy - r * std::sin(a));
        cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_stroke(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

// ---- The model

DeskModel::DeskModel(Notebook nb, const std::shared_ptr<Scheduler>& scheduler)
    : notebook(std::move(nb)),
      writer(std::make_shared<Scribe>(scheduler->clock(), scheduler)),
      rasters(std::make_shared<InkRaster>(scheduler)),
      cache([this](const std::string& name) -> std::shared_ptr<const Image> {
          auto it = paintings.find(name);
          return it == paintings.end() ? nullptr : it->second;
      }) {}

Color DeskModel::accent() const {
    return Ink::color(std::optional<std::string>(notebook.color), Ink::color(std::string("blue"), Ink::ink));
}

// ---- Seeing what the writer schedules

// Stands between the writer and the stage and notes each stroke as it is handed over.
class WriteDesk::Tap final : public Scribe::Stage {
public:
    explicit Tap(WriteDesk& desk) : desk_(desk) {}

    void taken(const Uuid& item) override { desk_.view_->taken(item); }
    void add(const std::vector<Scribe::Stroke>& strokes) override {
        for (const Scribe::Stroke& s : strokes) {
            desk_.scheduled_.push_back({s, desk_.clock->now()});
            if (desk_.onStroke) desk_.onStroke(desk_.scheduled_.back());
        }
        desk_.view_->add(strokes);
    }
    void advance(double now) override { desk_.view_->advance(now); }
    void finishAll(const std::vector<Scribe::Stroke>& strokes) override { desk_.view_->finishAll(strokes); }

private:
    WriteDesk& desk_;
};

// ---- The desk

WriteDesk::WriteDesk(Options options)
    : clock(std::make_shared<ManualClock>(0)),
      scheduler(std::make_shared<ManualScheduler>(clock)),
      model(std::make_shared<DeskModel>(Notebook{}, scheduler)),
      options_(options) {
    model->notebook.pageW = options.geo.pageW;
    model->notebook.pageH = options.geo.pageH;
    model->writer->speed.set(options.speed);
    model->writer->finished = [this](const Uuid& item) { finished_.push_back(item); };
    env_ = {options.displayScale, scheduler};
    value_.model = model;
    value_.page = page();
    value_.scale = options.scale;
    view_ = value_.make(env_);
    // The writer talks to the stage through the tap from now on.
    tap_ = std::make_shared<Tap>(*this);
    model->writer->attach(tap_, page(), value_.order);
}

WriteDesk::~WriteDesk() {
    model->writer->detach(*tap_);
    InkStage::dismantle(*view_);
}

void WriteDesk::sync() {
    ++value_.version;
    value_.update(*view_, env_);
}

std::optional<std::vector<J>> replyBlocks(const std::string& text, std::string& error) {
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_discarded() || !(parsed.is_object() || parsed.is_array())) {
        error = "the reply must be a JSON block object or an array of them";
        return std::nullopt;
    }
    std::vector<J> blocks;
    if (parsed.is_object()) blocks.emplace_back(parsed);
    else
        for (const auto& item : parsed)
            if (item.is_object()) blocks.emplace_back(item);
    return blocks;
}

std::vector<LaidBlock> layDown(const std::vector<J>& blocks, const Geo& geo, Color accent, uint64_t seed) {
    const Blocks layout{geo, accent};
    std::vector<LaidBlock> out;
    double y = geo.pageH < 700 ? 76 : 104;
    for (size_t i = 0; i < blocks.size(); ++i) {
        BlockItem b;
        b.json = blocks[i].line();
        b.seed = seed + i;
        b.y = y;
        const Laid laid = layout.lay(blocks[i], b.seed);
        b.h = laid.height;
        out.push_back({b, laid.shifted(0, y).ops});
        y += laid.height + 12;
    }
    return out;
}

std::vector<Uuid> WriteDesk::reply(const std::vector<J>& blocks, uint64_t seed) {
    Scribe& writer = *model->writer;
    writer.composing(true);
    std::vector<Uuid> ids;
    for (LaidBlock& laid : layDown(blocks, model->geo(), model->accent(), seed)) {
        const PageItem item(laid.item);
        model->notebook.pages.front().items.push_back(item);
        model->cache.prime(item, laid.ops, model->geo());
        writer.enqueue(page(), laid.item.id, std::move(laid.ops), 0, false);
        writer.pump();
        sync();
        ids.push_back(laid.item.id);
    }
    writer.composing(false);
    return ids;
}

bool WriteDesk::paint(const Uuid& block, std::shared_ptr<const Image> painting) {
    auto& items = model->notebook.pages.front().items;
    auto it = std::find_if(items.begin(), items.end(), [&](const PageItem& item) { return item.id() == block; });
    if (it == items.end() || !it->block()) return false;
    BlockItem b = *it->block();
    b.image = b.id.string() + ".png";
    model->paintings[*b.image] = std::move(painting);
    *it = PageItem(b);
    std::vector<InkOpRef> ops = model->ops(*it);
    const int n = int(ops.size());
    // The caption is written already: only the painting, beside whatever is being written.
    model->writer->enqueue(page(), block, std::move(ops), std::max(n - 1, 0), true);
    sync();
    return true;
}

void WriteDesk::run(double seconds) {
    const double end = clock->now() + seconds;
    while (clock->now() < end) {
        scheduler->drain();
        scheduler->advance(std::min(0.05, end - clock->now()));
    }
    scheduler->drain();
}

bool WriteDesk::idle() const {
    return !model->writer->busy.get() && model->writer->jobs().empty() && view_->upcoming().empty() &&
           view_->revealing().empty();
}

bool WriteDesk::runUntilIdle(double limit) {
    const double end = clock->now() + limit;
    scheduler->drain();
    while (!idle() && clock->now() < end) run(0.05);
    return idle();
}

std::unique_ptr<Canvas> WriteDesk::canvas() const {
    const Notebook& nb = model->notebook;
    auto c = std::make_unique<Canvas>(nb.pageW, nb.pageH, 2);
    if (plainPaper) {
        c->fill(Ink::paper);
    } else {
        const PaperView paper = PaperView::forPage(nb, 0, 1, PaperView::PageSide::single, true);
        drawPageBack(c->cr(), {nb.pageW, nb.pageH}, true, &paper);
    }
    return c;
}

std::unique_ptr<Canvas> WriteDesk::frame(double t) const {
    auto c = canvas();
    view_->render(c->cr(), t);
    return c;
}

std::unique_ptr<Canvas> WriteDesk::whole() const {
    auto c = canvas();
    for (const PageItem& item : model->notebook.pages.front().items)
        for (const InkOpRef& op : model->ops(item)) op->draw(c->cr(), 1);
    return c;
}

}  // namespace nolby::tools
