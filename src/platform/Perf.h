#pragma once
// Timing lines: with the launch argument "-hitchlog", steps that take longer than 4 ms
// print "SLOW <ms>ms <label>" to standard output.

#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nolby::Perf {

// Steps at or below this many seconds stay silent.
inline constexpr double threshold = 0.004;

// Whether these launch arguments ask for timing lines.
bool requested(const std::vector<std::string>& args);

// Called once by the application at start with its launch arguments; the first call
// fixes the switch for the life of the process, later calls change nothing.
void configure(const std::vector<std::string>& args);

// Whether timing lines are printed: false until configure() turns them on (a step timed
// before the application configured the switch is simply not timed).
bool on();

// Prints the line for a step that took `seconds`, when it took longer than the threshold.
void report(std::string_view label, double seconds, std::ostream& out);

// Runs `step`; when timing is on, reads `now()` (media time, seconds) around it and
// reports it under `label()`. When off, neither the clock nor the label is touched.
template <class Now, class Label, class Step>
void timed(Now&& now, Label&& label, Step&& step, std::ostream& out = std::cout) {
    if (!on()) {
        std::forward<Step>(step)();
        return;
    }
    const double start = now();
    std::forward<Step>(step)();
    const double elapsed = now() - start;
    if (elapsed > threshold) report(std::forward<Label>(label)(), elapsed, out);
}

}  // namespace nolby::Perf
