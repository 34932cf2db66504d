#pragma once
// The recursive-descent reader of the maths language. It never fails: every text, however
// malformed, yields a tree. Unknown commands are written out as their names, stray closing
// tokens are dropped and a missing argument is an empty row. All state is in the lexer.
//
// Nesting is bounded: once Lexer::kMaxDepth groups and arguments are open (counting every
// row, every command argument and every script added to one base), the parser stops
// opening more and reads the rest flat: a "{" is dropped (its contents join the row it is
// in), a command's argument is an empty row, "\left" takes no body and "\sqrt" no index.
// Scripts still attach for another kMaxDepth levels; past that a "^" or "_" starts a new
// script on an empty base, or is dropped when even that row is too deep. So "{{{{...",
// "\frac\frac\frac..." and "x^{x^{x^..." cannot overflow the stack, and the tree handed
// to the layout stays a few hundred levels deep at most.

#include "ink/math/Lexer.h"
#include "ink/math/MathTree.h"

#include <optional>
#include <string>
#include <string_view>

namespace nolby::math {

// A whole formula: the row of its atoms (always a row).
MRef parse(std::string_view text);

// The atoms up to the stop token (consumed), up to a closing brace when fence is true (not
// consumed), or up to the end. Sets lexer.consumedStop.
MRef parseRow(Lexer& lexer, const std::optional<std::string>& stop, bool fence);
// One atom, or null when the token produces nothing. With number true a token that begins
// with an ASCII digit swallows the digits that follow.
MRef parseAtom(Lexer& lexer, bool number);
// A command's argument: a braced group or a single atom; never null.
MRef parseArg(Lexer& lexer);
// The delimiter character after "\left" or "\right"; none for "." and unknown tokens.
std::optional<std::string> fenceDelimiter(Lexer& lexer);

// The base with a superscript (sup true) or subscript added.
MRef attach(const MRef& base, const MRef& script, bool sup);
// The node with one more prime.
MRef prime(const MRef& base);
// How many "′" a symbol made only of primes holds; 0 for anything else (null included).
int primes(const MRef& node);

}  // namespace nolby::math
