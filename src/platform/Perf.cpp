#include "platform/Perf.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace nolby::Perf {

namespace {
std::once_flag fixed;
bool enabled = false;
}  // namespace

bool requested(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "-hitchlog") != args.end();
}

void configure(const std::vector<std::string>& args) {
    std::call_once(fixed, [&] { enabled = requested(args); });
}

bool on() {
    std::call_once(fixed, [] { enabled = false; });
    return enabled;
}

void report(std::string_view label, double seconds, std::ostream& out) {
    // A broken clock reading is no step worth a line.
    if (!std::isfinite(seconds) || !(seconds > threshold)) return;
    char ms[64];
    std::snprintf(ms, sizeof ms, "%.1f", seconds * 1000);
    out << "SLOW " << ms << "ms " << label << '\n';
}

}  // namespace nolby::Perf
