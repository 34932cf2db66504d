// Not drawn yet: this kind takes no ink until it is built.
#include "ink/fig/Fig.h"

namespace nolby {

void Fig::flow(const J& o, Color color, double w) {}

}  // namespace nolby
