#include "platform/TextLine.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

struct Piece {
    size_t start, end;  // byte range
    std::shared_ptr<const FontInstance> instance;
};

// Consecutive characters drawn by the same face become one piece.
std::vector<Piece> splitByFace(std::string_view text, const Font& font) {
    std::vector<Piece> pieces;
    std::vector<size_t> bounds = unicode::graphemeBounds(text);
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        std::u32string cluster = unicode::toUtf32(text.substr(bounds[i], bounds[i + 1] - bounds[i]));
        const auto& inst = font.instanceFor(cluster);
        if (!pieces.empty() && pieces.back().instance == inst) pieces.back().end = bounds[i + 1];
        else pieces.push_back({bounds[i], bounds[i + 1], inst});
    }
    return pieces;
}

}  // namespace

TextLine TextLine::shape(std::string_view text, const Font& font, double kern) {
    TextLine line;
    line.size = font.size();
    if (text.empty()) return line;
    if (!std::isfinite(kern)) kern = 0;
    const double size = font.size();
    hb_buffer_t* buf = hb_buffer_create();
    double pen = 0;
    for (const Piece& piece : splitByFace(text, font)) {
        if (!piece.instance) continue;
        const FontInstance& inst = *piece.instance;
        hb_buffer_clear_contents(buf);
        // The whole text is context, so shaping at the piece's edges sees its neighbours.
        hb_buffer_add_utf8(buf, text.data(), static_cast<int>(text.size()), static_cast<unsigned>(piece.start),
                           static_cast<int>(piece.end - piece.start));
        hb_buffer_guess_segment_properties(buf);
        hb_buffer_set_cluster_level(buf, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
        hb_shape(inst.hb(), buf, nullptr, 0);
        unsigned n = 0;
        hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
        hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
        const double k = size / inst.unitsPerEmScaled();
        ShapedRun run{piece.instance, {}};
        run.glyphs.reserve(n);
        for (unsigned i = 0; i < n; ++i) {
            double adv = pos[i].x_advance * k;
            // Extra space goes after the last glyph of each character.
            bool lastOfCluster = i + 1 == n || info[i + 1].cluster != info[i].cluster;
            if (lastOfCluster) adv += kern;
            run.glyphs.push_back({info[i].codepoint, pen + pos[i].x_offset * k, -pos[i].y_offset * k, adv, info[i].cluster});
            pen += adv;
        }
        line.ascent = std::max(line.ascent, inst.ascender() * size);
        line.descent = std::max(line.descent, inst.descender() * size);
        if (!run.glyphs.empty()) line.runs.push_back(std::move(run));
    }
    hb_buffer_destroy(buf);
    line.width = pen;
    return line;
}

Path TextLine::outline() const {
    Path path;
    for (const ShapedRun& run : runs) {
        for (const ShapedGlyph& g : run.glyphs) {
            auto glyph = run.instance->outline(g.gid);
            if (glyph->isEmpty()) continue;
            // Outlines are in ems with y up; the page has y down.
            path.addPath(*glyph, Affine{size, 0, 0, -size, g.x, g.y});
        }
    }
    return path;
}

bool TextLine::hasMissingGlyphs() const {
    for (const ShapedRun& run : runs)
        for (const ShapedGlyph& g : run.glyphs)
            if (g.gid == 0) return true;
    return false;
}

double textWidth(std::string_view text, const Font& font) {
    if (text.empty()) return 0;
    return TextLine::shape(text, font).width;
}

}  // namespace nolby
