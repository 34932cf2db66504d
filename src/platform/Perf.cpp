#include "platform/Perf.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace nolby::Perf {

namespace {
std::once_flag configured;
// Off until the application configures it; reading it earlier fixes nothing.
std::atomic<bool> enabled{false};
}  // namespace

bool requested(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "-hitchlog") != args.end();
}

void configure(const std::vector<std::string>& args) {
    std::call_once(configured, [&] { enabled.store(requested(args), std::memory_order_relaxed); });
}

bool on() { return enabled.load(std::memory_order_relaxed); }

void report(std::string_view label, double seconds, std::ostream& out) {
    // A broken clock reading is no step worth a line.
    if (!std::isfinite(seconds) || !(seconds > threshold)) return;
    // One string, written whole: a decimal point whatever the locale (of the process or
    // imbued in the stream), and no interleaving with lines from other threads.
    out << ("SLOW " + NumberText::fixed(seconds * 1000, 1) + "ms " + std::string(label) + "\n");
}

}  // namespace nolby::Perf
