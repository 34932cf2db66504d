// Number and list readers of figure items: numbers as text and lists of texts or integers,
// tolerant of whatever element types the tutor sends.
#include "ink/fig/Fig.h"
#include "platform/NumberText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <string>

namespace nolby {

namespace {

// Limited to ±10^6 and rounded half away from zero: counts and indices, never overflowing.
int whole(double v) { return static_cast<int>(std::round(std::clamp(v, -1e6, 1e6))); }

}  // namespace

std::string Fig::num(double v) {
    // Four decimals, trailing zeros and point dropped, never "-0", whatever the locale.
    return std::isfinite(v) ? NumberText::trimmed(v, 4) : "0";
}

std::vector<std::string> Fig::strings(const nlohmann::json* list) {
    std::vector<std::string> out;
    if (!list || !list->is_array()) return out;
    for (const nlohmann::json& e : *list) {
        if (out.size() == kMaxValues) break;
        if (e.is_string()) out.push_back(e.get<std::string>());
        else if (e.is_number() || e.is_boolean()) {
            const std::optional<double> v = J::number(&e);
            out.push_back(v ? num(*v) : std::string());
        } else out.emplace_back();
    }
    return out;
}

std::vector<int> Fig::ints(const nlohmann::json* value) {
    std::vector<int> out;
    if (!value || !value->is_array()) return out;
    size_t seen = 0;
    for (const nlohmann::json& e : *value) {
        if (seen++ == kMaxValues) break;
        if (const std::optional<double> v = J::number(&e)) out.push_back(whole(*v));
    }
    return out;
}

int Fig::int_(const nlohmann::json* value, int fallback) {
    const std::optional<double> v = J::number(value);
    return v ? whole(*v) : fallback;
}

}  // namespace nolby
