#pragma once
// A desk for the shelf's tests: a data folder with its store and cover press on a manual
// scheduler, a fake painter that answers when told, and a newsstand over them that records
// what it asks of the application.

#include "ink/Faces.h"
#include "ink/Mag.h"
#include "library/Library.h"
#include "platform/Canvas.h"
#include "platform/DataFolder.h"
#include "platform/Pict.h"
#include "press/Press.h"
#include "ui/library/Newsstand.h"

#include "../../TempFolder.h"

#include <QApplication>
#include <QScrollBar>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace nolby::test {

inline Notebook issue(std::string title, std::optional<int64_t> number, double updated = 800000000) {
    Notebook n;
    n.title = std::move(title);
    n.issue = number;
    n.updated = dateFromReference(updated);
    n.created = dateFromReference(updated - 1000);
    return n;
}

struct Desk {
    TempFolder data;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Press> press;
    std::shared_ptr<Library> library;
    std::ostringstream log;
    std::vector<Press::Reply> paintings;
    std::vector<std::string> begun;
    std::vector<Uuid> opened, windows;
    int64_t replies = 0;
    Date today = dateFromReference(820000000);  // 25 December 2026, 16:26 UTC
    std::unique_ptr<Newsstand> stand;

    Desk() {
        // The faces, as the application registers them at start.
        Faces::registerFrom();
        Mag::registerFrom();
        press = Press::make(data.path, scheduler, [this](const std::string&, const std::string&, const std::string&,
                                                         const std::optional<std::string>&, Press::Reply reply) {
            paintings.push_back(std::move(reply));
        });
        library = Library::make(data.path, scheduler, press, &log);
    }

    // Puts notebooks in the store (written at once).
    void add(const std::vector<Notebook>& notebooks) {
        for (const Notebook& n : notebooks) library->save(n, true);
        scheduler->drain();
    }

    Newsstand& open(QSize size = {1280, 860}) {
        Newsstand::Services services;
        services.library = library;
        services.press = press;
        services.scheduler = scheduler;
        services.repliesThisMonth = [this] { return replies; };
        services.today = [this] { return today; };
        Newsstand::Actions actions;
        actions.open = [this](const NotebookHead& n) { opened.push_back(n.id); };
        actions.openInWindow = [this](const NotebookHead& n) { windows.push_back(n.id); };
        actions.begin = [this](const std::string& q) { begun.push_back(q); };
        stand = std::make_unique<Newsstand>(services, actions);
        stand->setScheme(ColorScheme::Scheme::light);
        stand->resize(size);
        return *stand;
    }

    // A shelf of one issue, "Tides", scrolled down to it.
    Shelf* oneIssueInView() {
        add({issue("Tides", 1)});
        open().show();
        Shelf* shelf = stand->shelf();
        shelf->verticalScrollBar()->setValue(shelf->verticalScrollBar()->maximum());
        return shelf;
    }

    // Paints the shelf until every cover it asked for is made, and gives the last frame.
    QImage settled() {
        QImage frame;
        for (int i = 0; i < 6; ++i) {
            frame = stand->grab().toImage();
            scheduler->drain();
            scheduler->runPosted();
        }
        return frame;
    }
};

// A painted picture as the paint endpoint would send it.
inline Press::Bytes painting(int width = 300, int height = 400) {
    Canvas c(width, height);
    c.fill(Color::rgba8(200, 120, 60));
    cairo_new_path(c.cr());
    cairo_arc(c.cr(), width * 0.6, height * 0.35, width * 0.18, 0, 6.3);
    cairo_set_source_rgb(c.cr(), 1, 0.85, 0.4);
    cairo_fill(c.cr());
    cairo_rectangle(c.cr(), 0, height * 0.6, width, height * 0.4);
    cairo_set_source_rgb(c.cr(), 0.1, 0.3, 0.45);
    cairo_fill(c.cr());
    cairo_surface_reference(c.surface());
    auto image = Image::adopt(c.surface());
    return *Pict::encode(*image, Pict::png);
}

}  // namespace nolby::test
