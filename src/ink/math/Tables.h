#pragma once
// The vocabulary of the maths language: command name (without its backslash) to
// character, and the name sets that decide what a command does. Each table is built once,
// on first use, and only read after that, so any thread may look things up.

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace nolby::math {

using CharTable = std::unordered_map<std::string, std::string>;
using NameSet = std::unordered_set<std::string>;

const CharTable& symbols();       // 60 ordinary symbols: Greek letters, ∞, ∂, ...
const CharTable& bins();          // 15 binary operators: ·, ×, ±, ...
const CharTable& rels();          // 43 relations and arrows: →, ≤, ∈, ...
const NameSet& fns();             // 23 upright function names: sin, log, ...
const NameSet& bigs();            // 14 big operators and limit-like names: int, sum, lim, ...
const NameSet& texts();           // 9 commands whose argument is set as upright text
const NameSet& styles();          // 11 font styles (not shown; the argument is set as is)
const NameSet& accents();         // 12 accents: hat, bar, vec, ...
const NameSet& ignored();         // 16 commands that produce nothing: big, displaystyle, ...
const CharTable& superscripts();  // 14 Unicode superscript characters to their plain character
const CharTable& subscripts();    // 14 Unicode subscript characters to their plain character
const NameSet& relChars();        // every relation character, plus "=", "<" and ">"
const NameSet& binChars();        // every binary operator character, plus "+"

}  // namespace nolby::math
