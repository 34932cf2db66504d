// Not laid out yet: marks, dive holes and links draw nothing until they are built.
#include "ink/blocks/Blocks.h"

namespace nolby {

std::vector<InkOpRef> Blocks::mark(const J&, Rect, uint64_t) const { return {}; }
std::vector<InkOpRef> Blocks::dive(const J&, Rect, uint64_t) const { return {}; }
Laid Blocks::link(const J&, uint64_t) const { return Laid::empty(); }

}  // namespace nolby
