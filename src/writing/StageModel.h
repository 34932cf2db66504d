#pragma once
// What a page stage reads of its notebook, and nothing more: the notebook value (page size
// and pages), the note being typed, the writer, the raster cache and the ink of an item.
// The notebook model provides it; tests and tools provide small ones of their own.
//
// The stage holds it weakly: once the model is gone, the stage does nothing.

#include "ink/ops/InkOp.h"
#include "notebook/Notebook.h"
#include "platform/Uuid.h"
#include "writing/InkRaster.h"
#include "writing/Scribe.h"

#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class StageModel {
public:
    virtual ~StageModel() = default;

    // The notebook as it stands: pageW, pageH and pages are read.
    virtual const Notebook& nb() const = 0;
    // The id of the note being typed, which the stage leaves out; none when none is.
    virtual std::optional<Uuid> editingId() const = 0;
    // The notebook's writer and raster cache; never null.
    virtual std::shared_ptr<Scribe> scribe() const = 0;
    virtual std::shared_ptr<InkRaster> raster() const = 0;
    // The item's operations in page coordinates, from the notebook's ink cache under its page
    // geometry and accent colour.
    virtual std::vector<InkOpRef> ops(const PageItem& item) = 0;
};

}  // namespace nolby
