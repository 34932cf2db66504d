#include "ink/Faces.h"

#include "ink/Mag.h"
#include "platform/Resources.h"

#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

namespace nolby::Faces {

namespace {

std::mutex& lock() {
    static std::mutex m;
    return m;
}

// Filled once by registerFrom, then only read.
std::map<Face, FontDescriptor>& descriptors() {
    static std::map<Face, FontDescriptor> d;
    return d;
}

std::unordered_map<std::string, std::shared_ptr<const Font>>& cache() {
    static std::unordered_map<std::string, std::shared_ptr<const Font>> c;
    return c;
}

// The first of folder/name and folder/Fonts/name that exists and holds a face.
std::optional<FontDescriptor> load(const std::filesystem::path& folder, const char* name) {
    for (const auto& candidate : {folder / name, folder / "Fonts" / name}) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) continue;
        if (auto file = FontFile::load(candidate.string())) return FontDescriptor{file, {}, {}};
    }
    return std::nullopt;
}

// The base with the fallbacks that exist as its cascade list; without a base, the first fallback.
std::optional<FontDescriptor> cascaded(const std::optional<FontDescriptor>& base,
                                       const std::vector<std::optional<FontDescriptor>>& fallbacks) {
    std::vector<FontDescriptor> present;
    for (const auto& f : fallbacks)
        if (f) present.push_back(*f);
    if (base) return present.empty() ? *base : base->withCascade(present);
    if (!present.empty()) return present.front();
    return std::nullopt;
}

}  // namespace

std::optional<Face> faceFromRawValue(std::string_view raw) {
    if (raw == "hand") return Face::hand;
    if (raw == "scrawl") return Face::scrawl;
    if (raw == "round") return Face::round;
    return std::nullopt;
}

std::string_view rawValue(Face face) {
    switch (face) {
        case Face::hand: return "hand";
        case Face::scrawl: return "scrawl";
        case Face::round: return "round";
    }
    return "hand";
}

void registerFrom(const std::optional<std::filesystem::path>& folder) {
    std::lock_guard<std::mutex> guard(lock());
    auto& d = descriptors();
    if (!d.empty()) return;
    std::filesystem::path dir = folder ? *folder : resources::folder();

    auto excalifont = load(dir, "Excalifont.ttf");
    auto shantell = load(dir, "ShantellSans.ttf");
    auto caveat = load(dir, "Caveat.ttf");
    if (shantell)
        shantell = shantell->withVariation(Mag::tag("wght"), 430)
                       .withVariation(Mag::tag("INFM"), 50)
                       .withVariation(Mag::tag("BNCE"), 0);

    auto store = [&](Face face, const std::optional<FontDescriptor>& desc) {
        if (desc) d[face] = *desc;
    };
    store(Face::hand, cascaded(excalifont, {shantell}));
    store(Face::scrawl, cascaded(caveat, {excalifont, shantell}));
    store(Face::round, shantell ? shantell : excalifont);
}

std::string sizeKey(Face face, double size) {
    double hundredths = std::round(size * 100);  // halves away from zero
    if (!std::isfinite(hundredths) || std::fabs(hundredths) > 9e18) hundredths = 0;
    return std::string(rawValue(face)) + "@" + std::to_string(static_cast<long long>(hundredths));
}

std::shared_ptr<const Font> font(Face face, double size) {
    std::string key = sizeKey(face, size);
    std::lock_guard<std::mutex> guard(lock());
    auto& c = cache();
    auto it = c.find(key);
    if (it != c.end()) return it->second;
    std::shared_ptr<const Font> made;
    auto& d = descriptors();
    auto desc = d.find(face);
    if (desc != d.end()) {
        made = Font::make(desc->second, size);
    } else if (auto standIn = systemfonts::family(kNoteworthyStandIn)) {
        made = Font::make(FontDescriptor{standIn, {}, {}}, size);
    } else {
        made = Font::none(size);
    }
    c.emplace(key, made);
    return made;
}

}  // namespace nolby::Faces
