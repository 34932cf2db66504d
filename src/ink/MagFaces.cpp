#include "ink/Mag.h"

#include "platform/Resources.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace nolby::Mag {

namespace {

// The print faces and their files, in this order.
constexpr std::pair<Face, const char*> kFiles[] = {
    {Face::fraunces, "Fraunces.ttf"},
    {Face::news, "Newsreader.ttf"},
    {Face::newsItalic, "Newsreader-Italic.ttf"},
};

std::mutex& lock() {
    static std::mutex m;
    return m;
}

// Filled once by registerFrom, then only read.
std::map<Face, FontDescriptor>& faces() {
    static std::map<Face, FontDescriptor> f;
    return f;
}

std::optional<FontDescriptor> registered(Face face) {
    std::lock_guard<std::mutex> guard(lock());
    auto it = faces().find(face);
    if (it == faces().end()) return std::nullopt;
    return it->second;
}

}  // namespace

void registerFrom(const std::optional<std::filesystem::path>& folder) {
    std::lock_guard<std::mutex> guard(lock());
    auto& f = faces();
    if (!f.empty()) return;
    std::filesystem::path dir = folder ? *folder : resources::folder();
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return;
    for (const auto& [face, file] : kFiles) {
        std::filesystem::path location = dir / "Fonts" / file;
        if (!std::filesystem::is_regular_file(location, ec)) continue;
        // The first face of the file serves.
        if (auto loaded = FontFile::load(location.string(), 0)) f[face] = FontDescriptor{loaded, {}, {}};
    }
}

std::shared_ptr<const Font> systemFont(const std::string& family, double size) {
    if (auto file = systemfonts::family(family)) return Font::make(FontDescriptor{file, {}, {}}, size);
    if (family != kSystemStandIn) return systemFont(kSystemStandIn, size);
    return Font::none(size);
}

std::shared_ptr<const Font> ct(Face face, double size, const Axes& axes) {
    auto desc = registered(face);
    if (!desc) return systemFont(kSystemStandIn, size);
    for (const auto& [name, value] : axes) {
        // A non-number would poison the font instance cache's ordering and the face itself.
        if (!std::isfinite(value)) continue;
        desc = desc->withVariation(tag(name), value);
    }
    return Font::make(*desc, size);
}

std::shared_ptr<const Font> newsCT(double size, double weight, bool italic) {
    return ct(italic ? Face::newsItalic : Face::news, size,
              {{"wght", weight}, {"opsz", std::min(std::max(size, 6.0), 72.0)}});
}

}  // namespace nolby::Mag
