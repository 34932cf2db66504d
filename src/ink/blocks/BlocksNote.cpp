// Not laid out yet: notes and asides take no room until they are built.
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"

namespace nolby {

Laid Blocks::note(const J&, uint64_t) const { return Laid::empty(); }
Color Blocks::stickyColor(const std::string&) { return Ink::paper; }
Laid Blocks::aside(const J&, uint64_t) const { return Laid::empty(); }

}  // namespace nolby
