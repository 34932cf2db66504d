// Sketch files read back as ink, once per name.
#include "library/Library.h"

#include "library/Inkify.h"
#include "platform/Files.h"
#include "platform/Pict.h"

namespace nolby {

namespace {

// The name comes from a notebook file, which anyone may have edited: only a plain file
// name inside the sketch folder is read, never a path that leads out of it.
bool bareFileName(const std::string& name) {
    return !name.empty() && name != "." && name.find('/') == std::string::npos &&
           name.find("..") == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

std::shared_ptr<const Image> Library::loadSketch(const std::string& name) {
    if (auto it = sketchCache_.find(name); it != sketchCache_.end()) return it->second;
    if (!bareFileName(name)) return nullptr;
    // A missing or unreadable file is not cached: the painting may still be on its way.
    std::optional<std::string> bytes = Files::read(sketches / name);
    if (!bytes) return nullptr;
    std::shared_ptr<const Image> image =
        Pict::image({reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()});
    if (!image) return nullptr;
    std::shared_ptr<const Image> ink = inkify(*image);
    if (!ink) ink = image;
    sketchCache_[name] = ink;
    return ink;
}

}  // namespace nolby
