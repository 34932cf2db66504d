#pragma once
// One page of an open notebook as it shows in a view of the model's `viewSize`, at the
// model's view scale: the paper behind it, the ink on it, the pen stroke being drawn, the
// note being typed, and the tutor's two signs (a sweep under the lines it reads and a
// spinning mark where it thinks).
//
// A plain value naming what to show. Each layer is read from the model as it stands, back to
// front: paperView(), then the ink (stage() when `live`, else rasterInk()), liveStroke(),
// note(), sweep() and thinking(). PagePainter keeps what the layers need between frames and
// draws them into one cairo surface.
//
// The sheet shows its pages as PageView{model, i, true, single, false, false}: live ink and
// nothing else, drawn at the model's scale within its viewSize.

#include "model/NotebookModel.h"
#include "page/InkPatch.h"
#include "page/LiveStroke.h"
#include "page/NoteCanvas.h"
#include "page/PageGeometry.h"
#include "page/PaperView.h"
#include "page/ReadingSweep.h"
#include "page/ThinkingMark.h"
#include "writing/InkStage.h"

#include <memory>
#include <optional>
#include <vector>

namespace nolby {

struct PageView {
    std::shared_ptr<NotebookModel> model;
    int index = 0;  // the page shown
    bool live = true;  // ink through the page stage; otherwise cached bitmaps and a patch
    PaperView::PageSide side = PaperView::PageSide::single;
    bool ground = false;  // the paper colour behind the whole view (and texture on sided pages)
    bool paper = false;   // the paper and its furniture

    // The view's size: the model's viewSize.
    Size viewSize() const;
    // The page in the view: s = the model's scale, ox = max((view width − pageW·s) / 2, 0).
    PageGeometry geometry() const;
    // Whether anything can be drawn: a model whose page has a size, a view of at least 1 × 1
    // and a usable scale.
    bool drawable() const;
    // The id of the page at `index`; none past the last page (or before the first).
    std::optional<Uuid> pageId() const;

    // The paper's fields, when the paper is asked for: the single-page form on a single
    // side, the sided form otherwise.
    std::optional<PaperView> paperView() const;
    // The page stage's value for a live page. Without a model, a stage of no page.
    InkStage stage() const;

    // The ink of the raster-layer path at `displayScale` device pixels per view point: the
    // cached bitmap of every written item, and the rest drawn whole on one patch.
    struct RasterInk {
        std::vector<PageLayer> layers;
        InkPatch patch;
    };
    // With timing lines on, a call over 4 ms prints "layers p<index>".
    RasterInk rasterInk(double displayScale) const;
    // Where a layer's bitmap shows in the view: s × its frame, offset by (ox, 0).
    Rect layerFrame(const PageLayer& layer) const;

    // The pen stroke in progress, on the model's current page only.
    std::optional<LiveStroke> liveStroke() const;
    // The note being typed, when it is on this page.
    std::optional<NoteCanvas> note() const;
    // The tutor reading this page.
    std::optional<ReadingSweep> sweep() const;
    // The tutor thinking on this page: the mark in the notebook's accent, and its frame.
    struct Thinking {
        ThinkingMark mark;
        Rect frame;
        bool operator==(const Thinking&) const = default;
    };
    std::optional<Thinking> thinking() const;

    // Equal when every field is, the model by identity.
    bool operator==(const PageView&) const = default;
};

}  // namespace nolby
