// Not drawn yet: this kind takes no ink until it is built.
#include "ink/fig/Fig.h"

namespace nolby {

void Fig::axes(const J& o, const std::vector<J>& plots, Color color) {}
void Fig::plot(const J& o, Color color, double w) {}
void Fig::brace(const J& o, Color color, double w) {}

}  // namespace nolby
