#pragma once
// Drawings of the sheet's head and chrome for a person to look at: written as PNGs when
// NOLBY_SCREENSHOTS names a folder, else nothing.

#include "platform/Canvas.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace nolby::testing {

inline void keepPng(const Canvas& c, const std::string& name) {
    if (const char* dir = std::getenv("NOLBY_SCREENSHOTS")) {
        std::filesystem::create_directories(dir);
        c.writePng((std::filesystem::path(dir) / name).string());
    }
}

}  // namespace nolby::testing
