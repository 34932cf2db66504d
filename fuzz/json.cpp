// Fuzzes J: any bytes as one tutor line. Every accessor is read on every key of every
// reachable object; nothing may crash or hand out a non-finite number, and the written
// line must parse again and be written identically the second time.
#include "ink/J.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace nolby;

namespace {

void finite(double v) {
    if (!std::isfinite(v)) std::abort();
}

void readAll(const J& j) {
    for (auto it = j.d().begin(); it != j.d().end(); ++it) {
        const std::string& k = it.key();
        (void)j.str(k, "d");
        (void)j.optStr(k);
        (void)j.strs(k);
        finite(j.num(k, 0));
        for (double v : j.nums(k)) finite(v);
        int64_t n = j.int_(k, 0);
        if (n > 1000000000000 || n < -1000000000000) std::abort();
        (void)j.bool_(k, false);
        for (Point p : j.points(k)) finite(p.x), finite(p.y);
        (void)j.has(k);
        if (j.subscript(k) != &it.value()) std::abort();
        if (auto v = J::number(j[k])) finite(*v);
        if (const nlohmann::json* a = j.arr(k))
            for (const nlohmann::json& e : *a)
                if (auto v = J::number(&e)) finite(*v);
        if (auto o = j.obj(k)) readAll(*o);
        for (const J& o : j.objs(k)) readAll(o);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<J> j = J::parse(text);
    if (!j) return 0;
    readAll(*j);

    std::string line = j->line();
    if (line.find('\n') != std::string::npos) std::abort();
    // Only an empty object may be written as "{}".
    if (line == "{}" && !j->d().empty()) std::abort();
    std::optional<J> back = J::parse(line);
    if (!back) std::abort();
    if (back->line() != line) std::abort();
    return 0;
}
