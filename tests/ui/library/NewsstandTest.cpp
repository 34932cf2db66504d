// The shelf: the next issue's number, search and its count, the reply line, beginning an
// issue from the ask band (Return, Shift/Alt+Return, a held Return, the starter questions),
// deleting with its alert, the lazy grid, covers arriving, and what bad input leaves.
#include "ShelfTestSupport.h"
#include "../../support/FailingDisk.h"
#include "../../support/Screenshots.h"

#include "ink/Rng.h"
#include "ui/library/AskPage.h"
#include "ui/library/CoverTile.h"
#include "ui/library/ShelfGrid.h"
#include "ui/pills/Pills.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineF>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <set>

namespace nolby {
namespace {

using test::Desk;
using test::issue;

// Moves the clock on in frames of 1/120 s, the tile following it.
void run(Desk& d, CoverTile* tile, double seconds) {
    for (int i = 0; i < static_cast<int>(seconds * 120); ++i) {
        d.scheduler->advance(1.0 / 120);
        tile->advance(d.scheduler->now());
    }
}

void key(QWidget* w, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false) {
    QKeyEvent press(QEvent::KeyPress, k, mods, k == Qt::Key_Return ? "\r" : "", repeat);
    QApplication::sendEvent(w, &press);
}

TEST(Newsstand, NextIssueAndDateline) {
    Desk d;
    Newsstand& empty = d.open();
    EXPECT_EQ(empty.nextIssue(), 1);
    EXPECT_EQ(empty.dateline(), "NO. 001  \u2022  Q4 2026");
    EXPECT_FALSE(empty.shelf()->texts().any);  // no header, no grid
    EXPECT_EQ(empty.shelf()->grid().height(0), 0);

    d.add({issue("Tides", 3), issue("Bread", 7), issue("", std::nullopt)});
    // Loading numbered the one without a number; a store read anew keeps it that way.
    Newsstand& s = d.open();
    EXPECT_EQ(s.nextIssue(), 8);
    EXPECT_EQ(s.dateline(), "NO. 008  \u2022  Q4 2026");
    EXPECT_TRUE(s.shelf()->texts().any);
    EXPECT_EQ(s.askBand()->contentsHeader(), "NO. 008  \u2022  Q4 2026  \u2022  OR START WITH");
}

TEST(Newsstand, SearchByTitleAndItsCount) {
    Desk d;
    std::vector<Notebook> twelve;
    for (int i = 0; i < 10; ++i) twelve.push_back(issue("Issue " + std::to_string(i), i + 1));
    twelve.push_back(issue("", 11));
    twelve.push_back(issue("", 12));
    d.add(twelve);
    Newsstand& s = d.open();
    EXPECT_EQ(s.countText(), "12");
    const std::pair<const char*, std::pair<size_t, const char*>> cases[] = {
        {"   ", {12, "12 OF 12"}},       // only spaces: everything, counted as a search
        {"\tissue 3 ", {1, "1 OF 12"}},  // trimmed, any case
        {"zzz", {0, "0 OF 12"}},
        {"UNTITLED", {2, "2 OF 12"}},    // the empty titles
        {"", {12, "12"}},
    };
    for (const auto& [text, want] : cases) {
        s.searchField()->setText(text);
        EXPECT_EQ(s.shown().size(), want.first) << text;
        EXPECT_EQ(s.countText(), want.second) << text;
        EXPECT_EQ(s.shelf()->shown().size(), want.first) << text;
    }
}

TEST(Newsstand, ReplyLine) {
    Desk d;
    Newsstand& s = d.open();
    const std::pair<int64_t, const char*> cases[] = {
        {0, "NOLBY PRESS"}, {-3, "NOLBY PRESS"}, {1, "1 REPLY THIS MONTH"}, {12, "12 REPLIES THIS MONTH"}};
    for (const auto& [n, line] : cases) {
        d.replies = n;
        EXPECT_EQ(s.replyLine(), line);
    }
}

TEST(Newsstand, BeginningFromTheAskBand) {
    Desk d;
    Newsstand& s = d.open();
    s.show();
    QuestionField* field = s.questionField();
    EXPECT_TRUE(field->hasFocus() || !QApplication::activeWindow());  // the field asks first

    field->setPlainText("  Why is the sea salty?\n ");
    key(field, Qt::Key_Return);
    ASSERT_EQ(d.begun, std::vector<std::string>{"Why is the sea salty?"});
    EXPECT_TRUE(field->toPlainText().isEmpty());

    // Shift or Alt with Return breaks the line; nothing begins.
    field->setPlainText("one");
    field->moveCursor(QTextCursor::End);
    key(field, Qt::Key_Return, Qt::ShiftModifier);
    key(field, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(field->toPlainText(), "one\n\n");
    EXPECT_EQ(d.begun.size(), 1u);

    // A held Return begins once: its repeats do nothing.
    key(field, Qt::Key_Return);
    key(field, Qt::Key_Return, Qt::NoModifier, true);
    key(field, Qt::Key_Return, Qt::NoModifier, true);
    EXPECT_EQ(d.begun.size(), 2u);
    EXPECT_EQ(d.begun.back(), "one");

    // Return in an empty field, and the begin button, begin without a question.
    key(field, Qt::Key_Return);
    QTest::mouseClick(s.askBand()->beginButton(), Qt::LeftButton);
    EXPECT_EQ(d.begun, (std::vector<std::string>{"Why is the sea salty?", "one", "", ""}));
    s.start();
    EXPECT_EQ(d.begun.back(), "");
}

TEST(Newsstand, QuestionFieldGrowsToFourLinesThenScrolls) {
    Desk d;
    Newsstand& s = d.open();
    s.show();
    QuestionField* field = s.questionField();
    const double band = s.askBand()->height();
    EXPECT_EQ(field->lines(), 1);
    field->setPlainText("a\nb\nc");
    EXPECT_EQ(field->lines(), 3);
    EXPECT_GT(s.askBand()->heightFor(s.askBand()->width()), band);
    field->setPlainText("a\nb\nc\nd\ne\nf");
    EXPECT_EQ(field->lines(), 4);
    EXPECT_NEAR(field->height(), field->heightFor(4), 1);
}

// The band fits the shelf's width down to the window's 760 × 600 minimum: the headline is
// written whole within its column (scaled down when it must be), and the question field shows
// its placeholder whole, within the band.
TEST(Newsstand, TheAskBandFitsItsWidth) {
    struct Case {
        int width;
        bool scaled;
    };
    for (const Case c : {Case{760, true}, Case{900, true}, Case{1280, false}}) {
        SCOPED_TRACE(c.width);
        Desk d;
        Newsstand& s = d.open({c.width, 600});
        s.show();
        d.scheduler->advance(1);  // the headline resolved
        AskBand* band = s.askBand();
        QuestionField* field = s.questionField();
        EXPECT_GE(field->width(), field->leastWidth());
        EXPECT_TRUE(band->rect().contains(field->geometry()));
        EXPECT_TRUE(band->rect().contains(band->beginButton()->geometry()));
        const double column = band->lines().front()->x();  // the contents column's left edge
        const QRectF headline = band->headlineFrame();
        EXPECT_LE(headline.right(), column - 22);
        EXPECT_EQ(band->headlineSize() < 50, c.scaled);
        // Drawn whole: the headline's white reaches its frame's right edge and stops there.
        const QImage image = band->grab().toImage();
        int rightmost = 0;
        for (int y = static_cast<int>(headline.top()); y < static_cast<int>(headline.bottom()); ++y)
            for (int x = 0; x < static_cast<int>(column); ++x)
                if (qGray(image.pixel(x, y)) > 200) rightmost = std::max(rightmost, x);
        EXPECT_NEAR(rightmost, headline.right(), 8);
        if (c.width == 760) EXPECT_TRUE(test::saveScreenshot(s, "shelf-760x600"));
    }
}

TEST(Newsstand, StarterQuestionsOfTheDay) {
    // 1 January 2001 at noon is day 730488 (a multiple of 4): the first set.
    const Date first = dateFromReference(12 * 3600);
    const auto today = AskPage::today(first);
    EXPECT_EQ(today[0], AskPage::starts[0]);
    EXPECT_EQ(today[2], AskPage::starts[2]);
    EXPECT_EQ(AskPage::today(first + std::chrono::hours(24))[0], AskPage::starts[3]);
    EXPECT_EQ(AskPage::today(first + std::chrono::hours(24 * 3))[2], AskPage::starts[11]);
    EXPECT_EQ(AskPage::today(first + std::chrono::hours(24 * 4)), today);  // the cycle of four days
    EXPECT_EQ(AskPage::forOrdinal(-1)[0], AskPage::starts[9]);
    for (const std::string& q : AskPage::starts) EXPECT_FALSE(q.empty());

    Desk d;
    d.today = first;
    Newsstand& s = d.open();
    s.show();
    const auto& lines = s.askBand()->lines();
    ASSERT_EQ(lines.size(), 3u);
    const int numbers[] = {4, 16, 28};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(lines[k]->number(), numbers[k]);
        EXPECT_EQ(lines[k]->question(), today[k]);
    }
    QTest::mouseClick(lines[1], Qt::LeftButton);
    EXPECT_EQ(d.begun, std::vector<std::string>{today[1]});
    EXPECT_TRUE(s.questionField()->toPlainText().isEmpty());
}

TEST(Newsstand, HeadlineResolvesOnTheClock) {
    Desk d;
    Newsstand& s = d.open();
    s.show();
    AskBand* band = s.askBand();
    const double steps[] = {12, 8, 5, 3.4, 2.2, 2.2};
    for (double want : steps) {
        EXPECT_EQ(band->resolve(), want);
        d.scheduler->advance(AskBand::kResolveStep);
    }
    // Shown again: coarse again; hidden half-way: at rest, sharp.
    band->hide();
    band->show();
    EXPECT_EQ(band->resolve(), 12);
    d.scheduler->advance(AskBand::kResolveStep * 2);
    EXPECT_EQ(band->resolve(), 5);
    band->hide();
    EXPECT_EQ(band->resolve(), 2.2);
    d.scheduler->advance(1);
    EXPECT_EQ(band->resolve(), 2.2);
}

TEST(Newsstand, DeleteAsksFirst) {
    Desk d;
    Notebook untitled = issue("", 1), kept = issue("Tides", 2);
    d.add({untitled, kept});
    Newsstand& s = d.open();
    s.show();
    s.confirmDelete(untitled);
    QMessageBox* alert = s.deleteAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QString::fromUtf8("Delete \u201CUntitled\u201D?"));
    EXPECT_EQ(alert->informativeText(), "Its pages and the tutor's notes go with it.");
    QTest::mouseClick(alert->button(QMessageBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(d.library->issues().size(), 2u);

    s.confirmDelete(untitled);
    QAbstractButton* remove = nullptr;
    for (QAbstractButton* b : s.deleteAlert()->buttons())
        if (b->text() == "Delete") remove = b;
    ASSERT_TRUE(remove);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(d.library->issues().size(), 1u);
    EXPECT_EQ(d.library->issues()[0].id, kept.id);
    d.scheduler->runPosted();  // the shelf reads the store on the next turn of the main loop
    EXPECT_EQ(s.shelf()->shown().size(), 1u);  // the grid follows the store
}

TEST(Newsstand, ReadsTheStoreOnceATurnAndNotWhileHidden) {
    Desk d;
    d.add({issue("Tides", 1)});
    Newsstand& s = d.open();
    s.show();
    ASSERT_EQ(s.shelf()->shown().size(), 1u);

    // Saves in one turn (an edit, a line begun, a block placed) are read once, on the next.
    Notebook bread = issue("Bread", 2, 800000100);
    d.library->save(bread, false);
    bread.title = "Bread and butter";
    d.library->save(bread, false);
    EXPECT_TRUE(s.stale());
    EXPECT_EQ(s.shelf()->shown().size(), 1u);
    d.scheduler->runPosted();
    EXPECT_FALSE(s.stale());
    ASSERT_EQ(s.shelf()->shown().size(), 2u);
    EXPECT_EQ(s.shelf()->shown()[0].title, "Bread and butter");
    EXPECT_EQ(s.countText(), "2");

    // Hidden under an open notebook: nothing is read until the shelf shows again.
    s.hide();
    d.library->save(issue("Salt", 3, 800000200), false);
    d.scheduler->runPosted();
    EXPECT_TRUE(s.stale());
    EXPECT_EQ(s.shelf()->shown().size(), 2u);
    s.show();
    EXPECT_FALSE(s.stale());
    ASSERT_EQ(s.shelf()->shown().size(), 3u);
    EXPECT_EQ(s.shelf()->shown()[0].title, "Salt");
    EXPECT_EQ(s.shelf()->texts().dateline.substr(0, 7), "NO. 004");
}

TEST(Newsstand, ASaveInPlaceMendsItsCoverAndAnyOtherChangeIsReadWhole) {
    Desk d;
    Notebook tides = issue("Tides", 1, 800000300), bread = issue("Bread", 2, 800000200),
             salt = issue("Salt", 3, 800000100);
    Notebook dive = issue("Why salt?", std::nullopt, 800000000);
    dive.parent = salt.id;
    d.add({tides, bread, salt, dive});
    Newsstand& s = d.open();
    s.show();
    auto titles = [&] {
        std::vector<std::string> out;
        for (const NotebookHead& n : s.shelf()->shown()) out.push_back(n.title);
        return out;
    };
    ASSERT_EQ(titles(), (std::vector<std::string>{"Salt", "Bread", "Tides"}));

    struct Case {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> shelf;
        std::string dateline, count, replies;
    };
    const std::vector<Case> cases = {
        {"an edit in place",
         [&] {
             bread.title = "Bread and butter";
             d.library->save(bread, false);
         },
         {"Salt", "Bread and butter", "Tides"}, "NO. 004", "3", "NOLBY PRESS"},
        {"a deep dive saved in place",
         [&] {
             dive.title = "Why is the sea salty?";
             d.library->save(dive, false);
         },
         {"Salt", "Bread and butter", "Tides"}, "NO. 004", "3", "NOLBY PRESS"},
        {"an edit and a new issue in one turn",
         [&] {
             salt.title = "Salt flats";
             d.library->save(salt, false);
             d.library->save(issue("Ice", 4, 800000400), false);
         },
         {"Ice", "Salt flats", "Bread and butter", "Tides"}, "NO. 005", "4", "NOLBY PRESS"},
        {"an edit that renumbers",
         [&] {
             tides.issue = 12;
             d.library->save(tides, false);
         },
         {"Ice", "Salt flats", "Bread and butter", "Tides"}, "NO. 013", "4", "NOLBY PRESS"},
        {"an edit while the month's replies changed",
         [&] {
             d.replies = 2;
             bread.title = "Bread";
             d.library->save(bread, false);
         },
         {"Ice", "Salt flats", "Bread", "Tides"}, "NO. 013", "4", "2 REPLIES THIS MONTH"},
        {"a notebook deleted",
         [&] { d.library->remove(salt.id); },
         {"Ice", "Bread", "Tides"}, "NO. 013", "3", "2 REPLIES THIS MONTH"},
    };
    for (const Case& c : cases) {
        c.change();
        d.scheduler->runPosted();
        EXPECT_FALSE(s.stale()) << c.what;
        EXPECT_EQ(titles(), c.shelf) << c.what;
        EXPECT_EQ(s.shelf()->texts().dateline.substr(0, 7), c.dateline) << c.what;
        EXPECT_EQ(s.shelf()->texts().count, c.count) << c.what;
        EXPECT_EQ(s.shelf()->texts().replies, c.replies) << c.what;
    }

    // Hidden, many saves in place are kept as one read of everything when shown.
    s.hide();
    for (int k = 0; k < 40; ++k) {
        bread.title = "Bread " + std::to_string(k);
        d.library->save(bread, false);
    }
    s.show();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Ice", "Bread 39", "Tides"}));
}

TEST(ShelfGrid, AdaptiveColumns) {
    struct Case {
        double width;
        int columns;
        double column;
    } cases[] = {{1184, 5, 212.8}, {400, 2, 185}, {100, 1, 176}, {2000, 9, 2000.0 / 9 - 30 * 8.0 / 9}, {236, 1, 236}};
    for (const Case& c : cases) {
        const ShelfGrid g = ShelfGrid::fit(c.width);
        EXPECT_EQ(g.columns, c.columns) << c.width;
        EXPECT_NEAR(g.column, std::min(c.column, 240.0), 1e-9) << c.width;
        EXPECT_NEAR(g.left * 2 + g.columns * g.column + (g.columns - 1) * 30, std::max(c.width, 176.0), 1e-9);
    }
    const ShelfGrid g = ShelfGrid::fit(1184);
    EXPECT_EQ(g.rows(11), 3u);
    EXPECT_NEAR(g.tile(6).y, g.tileHeight() + 34, 1e-9);
    EXPECT_EQ(g.visible(0, 100, 11), (std::pair<size_t, size_t>{0, 5}));
    // A band in the gap between two rows meets neither; one reaching into the next row meets it.
    const double gapTop = g.tileHeight() + 1;
    EXPECT_EQ(g.visible(gapTop, gapTop + 10, 11).first, 5u);
    EXPECT_EQ(g.visible(gapTop, g.tileHeight() + 40, 11), (std::pair<size_t, size_t>{5, 10}));
}

TEST(Shelf, TilesOnlyForRowsInView) {
    Desk d;
    std::vector<Notebook> many;
    for (int i = 0; i < 1000; ++i) many.push_back(issue("Issue " + std::to_string(i), i + 1, 800000000 - i));
    d.add(many);
    Newsstand& s = d.open();
    s.show();
    Shelf* shelf = s.shelf();
    EXPECT_EQ(shelf->grid().columns, 5);
    const size_t first = shelf->tiles().size();
    EXPECT_GT(first, 0u);
    EXPECT_LE(first, 10u);  // the page opens on the nameplate and band: two rows at most
    // Each tile that came into view asked the press for its cover.
    EXPECT_EQ(d.paintings.size(), std::min<size_t>(first, Press::kSlots));
    EXPECT_EQ(d.press->printing().size(), first);

    shelf->verticalScrollBar()->setValue(shelf->verticalScrollBar()->maximum());
    const auto tiles = shelf->tiles();
    EXPECT_LE(tiles.size(), 25u);
    std::set<Uuid> last;
    for (size_t i = 990; i < 1000; ++i) last.insert(shelf->shown()[i].id);
    EXPECT_TRUE(std::any_of(tiles.begin(), tiles.end(), [&](const Uuid& id) { return last.count(id); }));
}

TEST(Shelf, ClicksOpenAndTheMenuOffersWindowsAndDelete) {
    Desk d;
    Shelf* shelf = d.oneIssueInView();
    const QRectF cover = shelf->coverInView(0);
    ASSERT_TRUE(shelf->viewport()->rect().contains(cover.center().toPoint()));
    QTest::mouseClick(shelf->viewport(), Qt::LeftButton, {}, cover.center().toPoint());
    ASSERT_EQ(d.opened.size(), 1u);
    // Pressed on one cover and let go elsewhere: nothing opens.
    QTest::mousePress(shelf->viewport(), Qt::LeftButton, {}, cover.center().toPoint());
    QTest::mouseRelease(shelf->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(d.opened.size(), 1u);
    EXPECT_FALSE(shelf->tileAt(QPointF(2, 2)));

    // The context menu: Open, Open in New Window, a divider, Delete….
    auto choose = [&](const QString& item) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) seen << (a->isSeparator() ? "-" : a->text());
            for (QAction* a : menu->actions())
                if (a->text() == item) menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, cover.center().toPoint(),
                                shelf->viewport()->mapToGlobal(cover.center().toPoint()));
        QApplication::sendEvent(shelf->viewport(), &event);
        return seen;
    };
    EXPECT_EQ(choose("Open in New Window"),
              (QStringList{"Open", "Open in New Window", "-", QString::fromUtf8("Delete\u2026")}));
    EXPECT_EQ(d.windows.size(), 1u);
    choose(QString::fromUtf8("Delete\u2026"));
    ASSERT_TRUE(d.stand->deleteAlert());
    EXPECT_EQ(d.stand->deleteAlert()->text(), QString::fromUtf8("Delete \u201CTides\u201D?"));
}

TEST(Shelf, HoverTiltsTheCoverAndLeavingLetsItRest) {
    Desk d;
    Shelf* shelf = d.oneIssueInView();
    const QRectF cover = shelf->coverInView(0);
    CoverTile* tile = shelf->tile(shelf->shown()[0].id);
    ASSERT_TRUE(tile);
    EXPECT_TRUE(tile->resting());
    QTest::mouseMove(shelf->viewport(), (cover.topLeft() + QPointF(20, 20)).toPoint());
    EXPECT_TRUE(tile->over());
    run(d, tile, 1);
    EXPECT_NEAR(tile->lift(), 1, 0.01);
    EXPECT_NEAR(tile->tilt().x(), 20 / 220.0 - 0.5, 0.01);
    EXPECT_NEAR(tile->tilt().y(), 20 / 290.0 - 0.5, 0.01);
    d.stand->grab();  // drawn through its projective transform
    QTest::mouseMove(shelf->viewport(), QPoint(1, 1));
    run(d, tile, 2);
    EXPECT_TRUE(tile->resting());

    // Pressed, the cover sinks to 0.965 of its size (and turns in a little).
    const QRectF at(0, 0, cover.width(), cover.height());
    tile->press(true);
    run(d, tile, 1);
    const QTransform t = tile->transform(at);
    const QLineF across(t.map(QPointF(0, at.height() / 2)), t.map(QPointF(at.width(), at.height() / 2)));
    EXPECT_LT(across.length(), cover.width() * 0.99);  // whatever the cover's lean
    EXPECT_GT(across.length(), cover.width() * 0.94);
    tile->press(false);
    run(d, tile, 1);
    EXPECT_TRUE(tile->resting());
}

TEST(CoverTile, LeanAndLabel) {
    std::set<double> seen;
    for (int i = 0; i < 200; ++i) {
        const Uuid id = Uuid::random();
        const double lean = CoverTile::lean(id);
        EXPECT_EQ(lean, CoverTile::lean(id));  // the same every time
        EXPECT_NEAR((stableHash(id.string()) % 7 - 3.0) * 0.45, lean, 1e-12);
        seen.insert(lean);
    }
    EXPECT_EQ(seen.size(), 7u);
    EXPECT_TRUE(seen.count(0));
    Notebook n = issue("x", 0);
    EXPECT_EQ(CoverTile::label(n).rfind("NO. 001  \u00B7  ", 0), 0u);
    n.issue = 42;
    EXPECT_EQ(CoverTile::label(n).rfind("NO. 042", 0), 0u);
}

TEST(Shelf, CoversArriveFromThePressAndBadInputStaysOnTheShelf) {
    Desk d;
    std::string longTitle;
    while (longTitle.size() < 10000) longTitle += "Everything about everything ";
    Notebook hostile = issue(longTitle, 2);
    hostile.plan = R"({"doodle":[{"k":"path","d":"M0 0 L1e308 1e308"},{"k":"circle","r":1e300},{"k":"text","text":")" +
                   std::string(5000, 'x') + R"("}],"steps":[")" + std::string(3000, 'y') + R"("]})";
    Notebook plain = issue("Tides", 1);
    d.add({plain, hostile, issue("Bread", 4)});
    // A junk cover file for a notebook: it loads nothing and the placeholder stays.
    Notebook junk = issue("Junk", 3);
    d.add({junk});
    std::ofstream(d.press->dir / Press::fileName(junk.id)) << "<html>not a cover</html>";
    d.press = Press::make(d.data.path, d.scheduler, nullptr);
    d.library = Library::make(d.data.path, d.scheduler, d.press, &d.log);
    Newsstand& s = d.open();
    s.show();
    s.shelf()->verticalScrollBar()->setValue(s.shelf()->verticalScrollBar()->maximum());
    EXPECT_FALSE(d.settled().isNull());
    EXPECT_TRUE(d.press->printed().count(junk.id));
    EXPECT_EQ(d.press->image(junk.id, 700), nullptr);
    EXPECT_GT(s.shelf()->flattener().cached(), 0u);
}

TEST(Shelf, APartRepaintedDrawsWhatTheWholeFrameDrawsThere) {
    // A save repaints its own cover only; the covers whose shadows, labels or lean reach into
    // that part are drawn there too, so the part matches the whole frame pixel for pixel.
    Desk d;
    d.add({issue("Tides", 1, 800000300), issue("Bread", 2, 800000200), issue("Salt", 3, 800000100)});
    Newsstand& s = d.open();
    s.show();
    d.settled();
    const QImage whole = s.grab().toImage();
    Shelf* shelf = s.shelf();
    const QRectF left = shelf->coverInView(0), right = shelf->coverInView(1);
    ASSERT_LT(left.right() + 4, right.left());
    const QPoint origin = shelf->viewport()->mapTo(&s, QPoint(0, 0));
    const std::vector<QRect> parts = {
        // Between two covers, under their bottom edges: only their shadows are there.
        QRectF(QPointF(left.right() + 1, left.bottom() - 6), QPointF(right.left() - 1, left.bottom() + 24))
            .toAlignedRect(),
        // The label under the second cover.
        QRectF(QPointF(right.left(), right.bottom() + 2), QSizeF(right.width(), ShelfGrid::kLabel + 8)).toAlignedRect(),
        // The first cover's top edge, with the ask band above it.
        QRectF(QPointF(left.left() - 20, left.top() - 30), QSizeF(left.width() + 40, 40)).toAlignedRect(),
    };
    for (const QRect& part : parts) {
        QImage drawn(whole.size(), whole.format());
        drawn.fill(Qt::transparent);
        // (render puts the part's corner at the offset given.)
        s.render(&drawn, part.translated(origin).topLeft(), QRegion(part.translated(origin)));
        const QRect inStand = part.translated(origin).intersected(whole.rect());
        int differ = 0;
        for (int y = inStand.top(); y <= inStand.bottom(); ++y)
            for (int x = inStand.left(); x <= inStand.right(); ++x)
                if (drawn.pixel(x, y) != whole.pixel(x, y)) ++differ;
        EXPECT_EQ(differ, 0) << part.x() << "," << part.y() << " " << part.width() << "x" << part.height();
    }
}

TEST(Shelf, AFreshCoverArrivesThroughMisRegisteredPrint) {
    Desk d;
    Notebook n = issue("Tides", 1);
    d.add({n});
    Newsstand& s = d.open();
    s.show();
    s.shelf()->verticalScrollBar()->setValue(s.shelf()->verticalScrollBar()->maximum());
    d.settled();
    ASSERT_EQ(d.paintings.size(), 1u);
    d.paintings[0](test::painting());
    d.scheduler->drain();
    ASSERT_TRUE(d.press->fresh().count(n.id));
    d.settled();  // loads the thumbnail and flattens the painted cover
    CoverTile* tile = s.shelf()->tile(n.id);
    ASSERT_TRUE(tile);
    d.scheduler->advance(0.4);
    s.grab();
    EXPECT_TRUE(tile->band.animating(d.scheduler->now()));
    d.scheduler->advance(2);
    s.grab();
    EXPECT_FALSE(tile->band.animating(d.scheduler->now()));
}

// Saves that fail are told at the foot of the shelf, the first in shelf order and how many
// more; Retry (a real click) tries at once, and the pill leaves once every save has landed.
TEST(Newsstand, SavesThatFailAreToldAtTheFootOfTheShelf) {
    Desk d;
    Notebook tides = issue("Tides", 1), bread = issue("Bread", 2);
    d.add({tides, bread});
    Newsstand& s = d.open();
    s.show();
    ErrorPill& pill = *s.pills()->error();
    EXPECT_FALSE(pill.isVisibleTo(&s));

    test::FailingDisk disk(AtomicFile::Step::renamed, EACCES);
    d.library->save(tides, true);
    d.scheduler->drain();
    EXPECT_EQ(s.unsavedText(), "Couldn't save \u201CTides\u201D: its folder may not be written to. "
                               "Your writing is kept open; saving again\u2026");
    EXPECT_TRUE(pill.shown());
    d.library->save(bread, true);
    d.scheduler->drain();
    EXPECT_EQ(s.unsavedText(), "Couldn't save \u201CBread\u201D and 1 other notebook: its folder may not be "
                               "written to. Your writing is kept open; saving again\u2026");
    // Read to its end: nothing of it is cut short.
    for (const auto& line : pill.art().text.lines) EXPECT_FALSE(line.truncated);
    s.pills()->settle();
    const auto shots = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." / "screenshots";
    std::filesystem::create_directories(shots);
    EXPECT_TRUE(s.grab().save(QString::fromStdString((shots / "shelf-unsaved.png").string())));

    disk.failing = false;
    const Rect& retry = pill.art().retryRect;
    QTest::mouseClick(&pill, Qt::LeftButton, {},
                      QPoint(qRound(PillWidget::kMargin + retry.x + retry.w / 2),
                             qRound(PillWidget::kMargin + retry.y + retry.h / 2)));
    d.scheduler->drain();
    EXPECT_TRUE(d.library->unsaved->empty());
    EXPECT_EQ(s.unsavedText(), std::nullopt);
    EXPECT_FALSE(pill.shown());
    EXPECT_EQ(disk.tries, 4);
}

// Printed covers load for the tiles in view and a screen's worth around them, not for the
// whole shelf; under a small budget those scrolled far away are let go, and scrolling back
// loads them again.
TEST(Shelf, CoversLoadInViewAndNearItAndComeBackWhenScrolledTo) {
    Desk d;
    std::vector<Notebook> many;
    for (int i = 0; i < 80; ++i) many.push_back(issue("Issue " + std::to_string(i), i + 1, 800000000 - i));
    d.add(many);
    const Press::Bytes jpeg = *Press::finish(test::painting(60, 80));
    for (const Notebook& n : many)
        std::ofstream(d.press->dir / Press::fileName(n.id), std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    d.press = Press::make(d.data.path, d.scheduler, nullptr);
    d.library = Library::make(d.data.path, d.scheduler, d.press, &d.log);
    Newsstand& s = d.open();
    s.show();
    Shelf* shelf = s.shelf();
    QScrollBar* bar = shelf->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    d.settled();
    auto cached = [&](size_t i) { return d.press->thumbs().count(Press::thumbKey(shelf->shown()[i].id, 700)) > 0; };
    std::vector<size_t> inView;
    for (size_t i = 0; i < shelf->shown().size(); ++i)
        if (shelf->tile(shelf->shown()[i].id)) inView.push_back(i);
    ASSERT_FALSE(inView.empty());
    for (size_t i : inView) EXPECT_TRUE(cached(i)) << i;
    EXPECT_TRUE(cached(inView.front() - 1));  // the row above
    EXPECT_TRUE(cached(inView.back() + 1));   // and the row below
    EXPECT_FALSE(cached(0));                  // the top of the shelf is more than a screen away
    EXPECT_FALSE(cached(79));                 // and so is its end
    EXPECT_LT(d.press->thumbs().size(), 60u);

    // Room for the covers in view only: scrolled to the top and back, the middle's covers
    // were let go and load again when shown; the top's went in their turn.
    d.press->setThumbBudget(d.press->thumbBytes() / d.press->thumbs().size() * inView.size());
    bar->setValue(0);
    d.settled();
    EXPECT_TRUE(cached(0));
    bar->setValue(bar->maximum() / 2);
    d.settled();
    for (size_t i : inView) EXPECT_TRUE(cached(i)) << i;
    EXPECT_FALSE(cached(0));
    EXPECT_LE(d.press->thumbBytes(), d.press->thumbBudget());
}

}  // namespace
}  // namespace nolby
