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
// starts with, a malformed page item is dropped, and every list is bounded. Damage inside a
// value costs only that value: a number beyond its field's range (1e400, a 400-digit
// integer, an Int below -2^63) is malformed, bytes that are not UTF-8 and lone surrogate
// escapes become U+FFFD. Floats are read as floats, so every float written reads back to
// itself. A sketch's "image" must be a plain file name; two pages, or two items, with one
// id are told apart by a fresh id for the later one. Each such repair is listed in
// `issues`, so a caller that wants only clean files can reject any with issues.
//
// A document that is not JSON (a fault of structure anywhere, nesting deeper than
// maxDepth), not an object, larger than maxBytes, or whose notebook "id" is missing or not
// a UUID gives no notebook at all (without the id it cannot be told apart from other
// notebooks); nor does running out of memory while reading, which is reported, never thrown.
//
// Memory: the text is read in one pass without building a document. What is kept is
// charged against memoryFactor × the file's size + memorySlack; lists stop growing when
// that is spent (noted), so a hostile file cannot make the reader take more than a small
// multiple of its own size. Written files never come near it (the writer spells out every
// field, so no element takes more memory than twice its text).

#include "notebook/Notebook.h"

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
    // Larger files are not read (a store may check the size before reading the file).
    static constexpr size_t maxBytes = size_t(64) << 20;
    static constexpr size_t memoryFactor = 3;
    static constexpr size_t memorySlack = size_t(1) << 20;

    struct Decoded {
        std::optional<Notebook> notebook;
        std::vector<std::string> issues;  // what was repaired or why nothing was read
    };

    static std::string encode(const Notebook& notebook);
    // Why decode() would not give this notebook back whole from `bytes`, its encoding: the
    // file is larger than maxBytes, or a list is longer than its bound. None when it would.
    // The store writes no file it could not read back.
    static std::optional<std::string> unreadable(const Notebook& notebook, size_t bytes);
    static Decoded decode(std::string_view bytes);

    // "<id as upper-case UUID>.json"
    static std::string fileName(const Uuid& id) { return id.string() + ".json"; }
};

}  // namespace nolby
