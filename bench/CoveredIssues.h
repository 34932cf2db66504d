#pragma once
// A data folder of issues, as the shelf benchmarks read it: `count` notebooks (titled,
// numbered, coloured, an hour apart) in its "Notebooks" folder and, for printed covers, a
// 600 × 800 JPEG cover for each in "Covers", written synchronously.
#include "library/Library.h"
#include "platform/AtomicFile.h"
#include "platform/Canvas.h"
#include "platform/Pict.h"
#include "press/Press.h"

#include <filesystem>
#include <sstream>
#include <string>

namespace nolby::bench {

// A painting as the press stores it: a 600 × 800 JPEG.
inline std::string coverJpeg() {
    Canvas c(600, 800);
    c.fill(Color::rgba8(200, 120, 60));
    cairo_rectangle(c.cr(), 0, 480, 600, 320);
    cairo_set_source_rgb(c.cr(), 0.1, 0.3, 0.45);
    cairo_fill(c.cr());
    cairo_surface_reference(c.surface());
    auto jpeg = *Pict::encode(*Image::adopt(c.surface()), Pict::jpeg, 0.9);
    return std::string(jpeg.begin(), jpeg.end());
}

// `count` titled issues as above; with `covered`, each with its printed cover.
inline void writeIssues(const std::filesystem::path& data, int count, bool covered) {
    std::filesystem::create_directories(data / "Covers");
    const std::string jpeg = covered ? coverJpeg() : std::string();
    auto writer = std::make_shared<ManualScheduler>();
    std::ostringstream log;
    auto store = Library::make(data, writer, Press::make(data, writer, nullptr), &log);
    const char* colors[] = {"blue", "red", "green", "yellow"};
    for (int i = 0; i < count; ++i) {
        Notebook n;
        n.title = "Issue number " + std::to_string(i + 1) + " of the shelf";
        n.issue = i + 1;
        n.color = colors[i % 4];
        n.updated = dateFromReference(800000000 - i * 3600.0);
        store->save(n, true);
        if (covered) AtomicFile::write(data / "Covers" / Press::fileName(n.id), jpeg);
    }
    writer->drain();
}

inline void writeCoveredIssues(const std::filesystem::path& data, int count) { writeIssues(data, count, true); }

}  // namespace nolby::bench
