#pragma once
// Quitting while a notebook cannot be saved: the app says which and why before it ends, on
// standard error and, when there is a display, in a dialog that offers to try again (room
// made on the disk meanwhile lets the save land).

#include "library/Library.h"

#include <iosfwd>
#include <map>
#include <string>

namespace nolby::UnsavedAtQuit {

// One line per notebook: "nolby: couldn't save “<title>”: <reason>; its changes since it
// was last saved are lost".
std::string report(const Library& library, const std::map<Uuid, std::string>& unsaved);

// Writes every waiting save; while some still fail, says so on `err` and, with a display,
// asks whether to try again. True when every notebook is on the disk.
bool settle(Library& library, std::ostream& err);

}  // namespace nolby::UnsavedAtQuit
