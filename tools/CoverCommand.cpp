// nolby-ink cover FILE --size WxH [--art IMG] [--printing] [--large] [--png OUT]
//     draws a notebook file's issue cover (with IMG as its painting, else the placeholder,
//     with the press mark when --printing) at 2 pixels per point and prints
//     {"design", "slug", "meta"}.
// nolby-ink trim IN OUT
//     trims a painting's mat as the cover press does, writes the cover JPEG to OUT and prints
//     the part kept as {"x", "y", "width", "height"} (the whole picture when nothing is cut).
#include "Commands.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"
#include "platform/Canvas.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "platform/Pict.h"
#include "press/Press.h"
#include "press/covers/IssueCover.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace nolby::tools {

namespace {

const char* const kDesigns[] = {"bleed", "grid", "editorial"};

std::optional<Size> sizeOf(const char* text) {
    if (!text) return Size{300, 400};
    const std::string s = text;
    const size_t x = s.find('x');
    if (x == std::string::npos) return std::nullopt;
    auto w = NumberText::parseDouble(s.substr(0, x)), h = NumberText::parseDouble(s.substr(x + 1));
    if (!w || !h || !(*w >= 1 && *w <= 4000) || !(*h >= 1 && *h <= 4000)) return std::nullopt;
    return Size{*w, *h};
}

std::optional<std::string> readOrSay(const std::string& file) {
    std::optional<std::string> bytes = Files::read(file);
    if (!bytes) std::fprintf(stderr, "nolby-ink: cannot read %s\n", file.c_str());
    return bytes;
}

std::span<const uint8_t> span(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

}  // namespace

int coverCommand(const Args& args) {
    if (args.empty()) return 2;
    const std::optional<Size> size = sizeOf(option(args, "--size"));
    if (!size) {
        std::fprintf(stderr, "nolby-ink: --size must be WxH, each from 1 to 4000\n");
        return 2;
    }
    std::optional<std::string> bytes = readOrSay(args[0]);
    if (!bytes) return 1;
    NotebookFile::Decoded decoded = NotebookFile::decode(*bytes);
    if (!decoded.notebook) {
        std::fprintf(stderr, "nolby-ink: %s is not a notebook file\n", args[0].c_str());
        return 1;
    }
    IssueCover::Art art;
    if (const char* image = option(args, "--art")) {
        std::optional<std::string> picture = readOrSay(image);
        if (!picture) return 1;
        art.look.shown.cover = Pict::image(span(*picture));
        if (!art.look.shown.cover) {
            std::fprintf(stderr, "nolby-ink: %s is not a PNG or JPEG picture\n", image);
            return 1;
        }
    }
    art.printing = flag(args, "--printing");
    art.pulse = 1;

    Faces::registerFrom();
    Mag::registerFrom();
    const IssueCover cover{std::move(*decoded.notebook), flag(args, "--large")};
    Canvas canvas(size->width, size->height, 2);
    const IssueCover::Drawn drawn = cover.draw(canvas.cr(), *size, art);
    const nlohmann::json out = {
        {"design", kDesigns[static_cast<int>(drawn.design)]}, {"slug", cover.slug()}, {"meta", cover.meta()}};
    std::printf("%s\n", out.dump().c_str());
    if (const char* png = option(args, "--png"); png && !canvas.writePng(png)) {
        std::fprintf(stderr, "nolby-ink: could not write %s\n", png);
        return 1;
    }
    return 0;
}

int trimCommand(const Args& args) {
    if (args.size() != 2) return 2;
    std::optional<std::string> bytes = readOrSay(args[0]);
    if (!bytes) return 1;
    std::shared_ptr<const Image> picture = Pict::image(span(*bytes));
    std::optional<Press::Bytes> jpeg = picture ? Press::finish(span(*bytes)) : std::nullopt;
    if (!picture || !jpeg) {
        std::fprintf(stderr, "nolby-ink: %s is not a picture the press can use\n", args[0].c_str());
        return 1;
    }
    const Press::Crop crop = Press::trim(*picture);
    if (!AtomicFile::write(args[1], {reinterpret_cast<const char*>(jpeg->data()), jpeg->size()})) {
        std::fprintf(stderr, "nolby-ink: could not write %s\n", args[1].c_str());
        return 1;
    }
    const nlohmann::json out = {{"x", crop.x}, {"y", crop.y}, {"width", crop.width}, {"height", crop.height}};
    std::printf("%s\n", out.dump().c_str());
    return 0;
}

}  // namespace nolby::tools
