#pragma once
// The notebook file: one compact JSON document holding the whole notebook, named by the
// notebook's id ("<UPPER-CASE-UUID>.json").
//
// Writing never fails: a non-finite number (which JSON cannot hold) is left out where the
// field is optional, written as the field's default where it is required, and a stroke
// sample holding one is dropped with its triple, so one bad value never stops every later
// save of the notebook. Integral numbers are written without a fraction ("400", not "400.0"),
// the forward slash is escaped as "\/", and floats are written in their shortest form.
//
// Reading is tolerant: a missing or malformed field takes the value a new value of its type
// starts with, a malformed page item is dropped, and every list is bounded. Each such repair
// is listed in `issues`, so a caller that wants only clean files can reject any with issues.
// A document that is not JSON, not an object, nested absurdly deep, or whose notebook "id" is
// missing or not a UUID gives no notebook at all (without the id it cannot be told apart
// from other notebooks).

#include "model/Notebook.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

struct NotebookFile {
    // Bounds on what one file may hold; anything beyond is cut off and reported.
    static constexpr size_t maxPages = 10000;
    static constexpr size_t maxItemsPerPage = 100000;
    static constexpr size_t maxStrokeNumbers = 3 * 1000000;
    static constexpr size_t maxTurns = 100000;
    static constexpr size_t maxReview = 10000;
    static constexpr size_t maxDepth = 64;

    struct Decoded {
        std::optional<Notebook> notebook;
        std::vector<std::string> issues;  // what was repaired or why nothing was read
    };

    static std::string encode(const Notebook& notebook);
    static Decoded decode(std::string_view bytes);

    // "<id as upper-case UUID>.json"
    static std::string fileName(const Uuid& id) { return id.string() + ".json"; }
};

}  // namespace nolby
