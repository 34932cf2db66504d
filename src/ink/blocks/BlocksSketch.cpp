// Not laid out yet: sketches and figure blocks take no room until they are built.
#include "ink/blocks/Blocks.h"

namespace nolby {

Laid Blocks::sketch(const J&, uint64_t, const std::shared_ptr<const Image>&) const { return Laid::empty(); }
Laid Blocks::fig(const J&, uint64_t) const { return Laid::empty(); }

}  // namespace nolby
