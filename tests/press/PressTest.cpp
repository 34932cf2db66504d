// The cover press with a fake painter on the manual scheduler: which notebooks are painted
// and with what words, two at a time, what a painting's mat turns into, how failures and
// unwritable covers end, and thumbnails at two sizes.
#include "press/Press.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"
#include "platform/Files.h"
#include "platform/Pict.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace nolby {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

struct Call {
    std::string kind, subject, aspect;
    std::optional<std::string> inks;
    Press::Reply reply;
};

// A picture of `width` × `height` pixels: a deep blue painting, with a mat of `mat` (a
// fraction of each dimension) in light cream on the sides named.
void fillRect(Canvas& c, Rect r, Color color) {
    Path p;
    p.addRect(r);
    draw::fillPath(c.cr(), p, color);
}

Press::Bytes painting(int width, int height, double mat = 0, bool top = true, bool bottom = true, bool left = true,
                      bool right = true) {
    Canvas c(width, height);
    c.fill(Color::rgba8(40, 70, 150));
    // Some texture, so the painting is not one flat colour either.
    for (int x = 0; x < width; x += 37) fillRect(c, {double(x), 0, 9, double(height)}, Color::rgba8(150, 60, 40));
    const double mx = std::floor(width * mat), my = std::floor(height * mat);
    const Color cream = Color::rgba8(246, 242, 232);
    if (top) fillRect(c, {0, 0, double(width), my}, cream);
    if (bottom) fillRect(c, {0, height - my, double(width), my}, cream);
    if (left) fillRect(c, {0, 0, mx, double(height)}, cream);
    if (right) fillRect(c, {width - mx, 0, mx, double(height)}, cream);
    cairo_surface_reference(c.surface());
    auto image = Image::adopt(c.surface());
    return *Pict::encode(*image, Pict::png);
}

Notebook titled(const std::string& title, std::optional<std::string> plan = std::nullopt) {
    Notebook n;
    n.title = title;
    n.plan = std::move(plan);
    return n;
}

struct Bench {
    TempFolder data;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::vector<Call> calls;
    std::shared_ptr<Press> press;
    int changes = 0;
    Subscription watching;

    Bench() { open(); }
    void open() {
        press = Press::make(data.path, scheduler, [this](const std::string& kind, const std::string& subject,
                                                         const std::string& aspect,
                                                         const std::optional<std::string>& inks, Press::Reply reply) {
            calls.push_back({kind, subject, aspect, inks, std::move(reply)});
        });
        watching = press->observe([this] { ++changes; });
    }
    fs::path cover(const Uuid& id) const { return press->dir / Press::fileName(id); }
    // Answers the painting request `index` and lets the press finish it.
    void answer(size_t index, std::optional<Press::Bytes> picture) {
        calls.at(index).reply(std::move(picture));
        scheduler->drain();
    }
};

TEST(PressSubject, Sentences) {
    const std::string tail = ": a real place, creature, machine, person at work or moment from its history, shown as it "
                             "really looks, not a metaphor";
    Notebook firstWords;
    StrokeItem stroke;
    TextItem empty, note, later;
    note.text = std::string(130, 'a');
    later.text = "never used";
    firstWords.pages = {Page{}, Page{}};
    firstWords.pages[0].items = {stroke, empty, note};
    firstWords.pages[1].items = {later};
    const std::string steps6 = R"({"steps":["one","two","three","four","five","six"]})";

    struct Case {
        const char* what;
        Notebook notebook;
        std::optional<std::string> subject;
    } cases[] = {
        {"plan art wins", titled("Tides", R"({"art":"A lighthouse at dusk","steps":["x"]})"), "A lighthouse at dusk"},
        {"empty art falls through to the title", titled("Tides", R"({"art":""})"),
         "An evocative, concrete scene for an issue about \u201CTides\u201D" + tail},
        {"a plan that does not parse counts as none", titled("Tides", "{not json"),
         "An evocative, concrete scene for an issue about \u201CTides\u201D" + tail},
        {"the first four of six steps", titled("Tides", steps6),
         "An evocative, concrete scene for an issue about \u201CTides\u201D (one, two, three, four)" + tail},
        {"first words, cut to 120 characters", firstWords,
         "An evocative, concrete scene for a notebook that begins with the words \u201C" + std::string(120, 'a') +
             "\u201D: a real place, creature, machine, person at work or moment from history, shown as it really "
             "looks, not a metaphor"},
        {"nothing written", Notebook{}, std::nullopt},
        {"no pages", [] { Notebook n; n.pages.clear(); return n; }(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Press::subject(c.notebook), c.subject) << c.what;
}

TEST(Press, EnsureQueuesOnceAndSkipsDivesAndBlanks) {
    Bench b;
    Notebook issue = titled("Tides");
    issue.color = "red";
    Notebook dive = titled("Deep");
    dive.parent = Uuid::random();
    b.press->ensure(dive);
    b.press->ensure(Notebook{});  // nothing to paint from
    EXPECT_TRUE(b.calls.empty());
    EXPECT_TRUE(b.press->printing().empty());

    b.press->ensure(issue);
    b.press->ensure(issue);
    ASSERT_EQ(b.calls.size(), 1u);
    EXPECT_EQ(b.calls[0].kind, "cover");
    EXPECT_EQ(b.calls[0].aspect, "3:4");
    EXPECT_EQ(b.calls[0].inks, Mag::inks("red").names);
    EXPECT_EQ(b.press->printing(), std::set<Uuid>{issue.id});
    EXPECT_EQ(b.changes, 1);
}

TEST(Press, ThreeRequestsTwoAtATime) {
    Bench b;
    Notebook n[3] = {titled("One"), titled("Two"), titled("Three")};
    for (const Notebook& x : n) b.press->ensure(x);
    ASSERT_EQ(b.calls.size(), 2u);  // the third waits
    EXPECT_EQ(b.press->printing().size(), 3u);

    b.answer(1, std::nullopt);  // the second fails: the third starts all the same
    ASSERT_EQ(b.calls.size(), 3u);
    EXPECT_NE(b.calls[2].subject.find("Three"), std::string::npos);
    EXPECT_EQ(b.press->failed(), std::set<Uuid>{n[1].id});

    const int version = b.press->version();
    b.answer(0, painting(300, 400));
    EXPECT_EQ(b.press->printed(), std::set<Uuid>{n[0].id});
    EXPECT_EQ(b.press->fresh(), std::set<Uuid>{n[0].id});
    EXPECT_EQ(b.press->version(), version + 1);
    EXPECT_TRUE(fs::exists(b.cover(n[0].id)));

    // Printed and failed notebooks are not asked for again in this run.
    b.press->ensure(n[0]);
    b.press->ensure(n[1]);
    EXPECT_EQ(b.calls.size(), 3u);
    b.calls[2].reply(painting(300, 400));
    b.calls[2].reply(std::nullopt);  // a second answer is ignored
    b.scheduler->drain();
    EXPECT_EQ(b.press->printed(), (std::set<Uuid>{n[0].id, n[2].id}));
    EXPECT_TRUE(b.press->printing().empty());
}

TEST(Press, BadPaintingsFail) {
    const std::string html = "<html><body>502 Bad Gateway</body></html>";
    struct Case {
        const char* what;
        std::optional<Press::Bytes> reply;
    } cases[] = {
        {"no picture", std::nullopt},
        {"an empty body", Press::Bytes{}},
        {"an HTML page", Press::Bytes(html.begin(), html.end())},
        {"a truncated PNG", [] { auto p = painting(200, 300); p.resize(p.size() / 2); return p; }()},
    };
    for (const Case& c : cases) {
        Bench b;
        Notebook n = titled("Tides");
        b.press->ensure(n);
        b.answer(0, c.reply);
        EXPECT_EQ(b.press->failed(), std::set<Uuid>{n.id}) << c.what;
        EXPECT_TRUE(b.press->printed().empty()) << c.what;
        EXPECT_FALSE(fs::exists(b.cover(n.id))) << c.what;
    }
}

TEST(Press, CoverThatCannotBeWrittenFails) {
    Bench b;
    Notebook n = titled("Tides");
    fs::create_directories(b.cover(n.id));  // a folder where the cover file should go
    b.press->ensure(n);
    b.answer(0, painting(300, 400));
    EXPECT_EQ(b.press->failed(), std::set<Uuid>{n.id});
    EXPECT_TRUE(b.press->printed().empty());
    EXPECT_TRUE(b.press->fresh().empty());
}

TEST(Press, WithoutAPainterEveryPaintingFails) {
    TempFolder data;
    auto scheduler = std::make_shared<ManualScheduler>();
    auto press = Press::make(data.path, scheduler, nullptr);
    Notebook n = titled("Tides");
    press->ensure(n);
    scheduler->drain();
    EXPECT_EQ(press->failed(), std::set<Uuid>{n.id});
    EXPECT_TRUE(press->printing().empty());
}

TEST(Press, FolderScanTakesOnlyJpegCoversNamedByUuid) {
    TempFolder data;
    const Uuid a = Uuid::random(), b = Uuid::random(), c = Uuid::random();
    fs::create_directories(data.path / "Covers");
    for (const std::string& name : {a.string() + ".jpg", b.string() + ".png", c.string(), std::string("notes.jpg"),
                                    "." + a.string() + ".jpg.tmp"})
        std::ofstream(data.path / "Covers" / name) << "junk";
    auto press = Press::make(data.path, std::make_shared<ManualScheduler>(), nullptr);
    EXPECT_EQ(press->printed(), std::set<Uuid>{a});
}

TEST(PressTrim, MatsAreCutOnlyWhenAllFourSidesShowOne) {
    struct Case {
        const char* what;
        Press::Bytes picture;
        Press::Crop crop;
    } cases[] = {
        // 5 % mat: 50 px across, 60 px down; cut by the mat and 1.2 % more (12 and 14 px).
        {"a 5 % mat", painting(1000, 1200, 0.05), {62, 74, 876, 1052}},
        {"a mat on three sides", painting(1000, 1200, 0.05, true, false, true, true), {0, 0, 1000, 1200}},
        {"no mat", painting(1000, 1200), {0, 0, 1000, 1200}},
        // 24 % each side would leave less than half the width.
        {"a mat too wide to cut", painting(1000, 1200, 0.24), {0, 0, 1000, 1200}},
        {"a tiny picture", painting(2, 3, 0.4), {0, 0, 2, 3}},
    };
    for (const Case& c : cases) {
        auto image = Pict::image(c.picture);
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(Press::trim(*image), c.crop) << c.what;
    }

    // finish() stores the cut picture as a JPEG of that size.
    auto jpeg = Press::finish(painting(1000, 1200, 0.05));
    ASSERT_TRUE(jpeg);
    auto kept = Pict::image(*jpeg);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width(), 876);
    EXPECT_EQ(kept->height(), 1052);
    EXPECT_EQ((*jpeg)[0], 0xFF);
    EXPECT_EQ((*jpeg)[1], 0xD8);
    EXPECT_FALSE(Press::finish(Press::Bytes{1, 2, 3}));
}

TEST(Press, ThumbnailsLoadInTheBackgroundAtTwoSizes) {
    Bench b;
    Notebook n = titled("Tides");
    b.press->ensure(n);
    b.answer(0, painting(1200, 1600));
    ASSERT_EQ(b.press->printed(), std::set<Uuid>{n.id});

    EXPECT_EQ(b.press->image(Uuid::random(), 700), nullptr);  // not printed: no load
    EXPECT_EQ(b.scheduler->backgroundCount(), 0u);

    EXPECT_EQ(b.press->image(n.id, 700), nullptr);
    EXPECT_EQ(b.press->image(n.id, 700), nullptr);
    EXPECT_EQ(b.scheduler->backgroundCount(), 1u);  // one load for the key
    const int version = b.press->version();
    b.scheduler->drain();
    EXPECT_EQ(b.press->version(), version + 1);
    auto small = b.press->image(n.id, 700);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->height(), 700);

    // 701 asks for the large one; the small one stands in until it lands.
    EXPECT_EQ(b.press->image(n.id, 701), small);
    ASSERT_EQ(b.scheduler->backgroundCount(), 1u);
    b.scheduler->drain();
    auto large = b.press->image(n.id, 1600);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->height(), 1600);
    EXPECT_EQ(b.press->thumbs().size(), 2u);
    EXPECT_TRUE(b.press->thumbs().count(n.id.string() + "@1600"));

    b.press->forget(n.id);
    b.press->forget(n.id);  // harmless
    EXPECT_EQ(b.press->image(n.id, 700), nullptr);
    EXPECT_FALSE(fs::exists(b.cover(n.id)));
}

TEST(Press, AJunkCoverFileLoadsNothingAndIsTriedAgain) {
    TempFolder data;
    const Uuid id = Uuid::random();
    fs::create_directories(data.path / "Covers");
    std::ofstream(data.path / "Covers" / Press::fileName(id)) << "<html>not a picture</html>";
    auto scheduler = std::make_shared<ManualScheduler>();
    auto press = Press::make(data.path, scheduler, nullptr);
    EXPECT_EQ(press->image(id, 700), nullptr);
    scheduler->drain();
    EXPECT_EQ(press->version(), 0);
    EXPECT_EQ(press->image(id, 700), nullptr);
    EXPECT_EQ(scheduler->backgroundCount(), 1u);  // nothing was cached, so it loads again
}

TEST(Press, APressGoneBeforeItsPaintingReturnsDropsIt) {
    Bench b;
    b.press->ensure(titled("Tides"));
    Press::Reply reply = b.calls[0].reply;
    b.watching.reset();
    b.press.reset();
    reply(painting(300, 400));
    EXPECT_NO_THROW(b.scheduler->drain());
}

}  // namespace
}  // namespace nolby

namespace nolby {
namespace {

// Thumbnails under a budget of three: what goes when a fourth loads, what comes back when
// asked for again, and what is never let go while something still holds it.
TEST(PressThumbs, TheOnesAskedForLongestAgoGoFirstAndLoadAgainWhenAsked) {
    Bench b;
    std::vector<Uuid> ids(5);
    const Press::Bytes jpeg = *Press::finish(painting(60, 80));
    for (Uuid& id : ids) {
        id = Uuid::random();
        std::ofstream(b.cover(id), std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    }
    b.open();  // the press takes the files as printed covers
    auto load = [&](const Uuid& id) {
        b.press->image(id, 700);
        b.scheduler->drain();
    };
    auto cached = [&] {
        std::vector<int> which;
        for (size_t i = 0; i < ids.size(); ++i)
            if (b.press->thumbs().count(Press::thumbKey(ids[i], 700))) which.push_back(int(i));
        return which;
    };
    load(ids[0]);
    const size_t one = b.press->thumbBytes();
    ASSERT_EQ(one, size_t(60) * 80 * 4);
    b.press->setThumbBudget(3 * one);
    EXPECT_EQ(b.press->thumbsThatFit(60), 3u * 80 * 60 * 4 / (60 * 60 * 4));
    load(ids[1]);
    load(ids[2]);
    EXPECT_EQ(cached(), (std::vector<int>{0, 1, 2}));

    // 0 is asked for again (cached: no load), so 1 is the one asked for longest ago.
    b.press->image(ids[0], 700);
    EXPECT_EQ(b.scheduler->backgroundCount(), 0u);
    load(ids[3]);
    EXPECT_EQ(cached(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(b.press->thumbBytes(), 3 * one);

    // Asked for again, 1 loads again; 2 is now the oldest and goes.
    EXPECT_EQ(b.press->image(ids[1], 700), nullptr);
    EXPECT_EQ(b.scheduler->backgroundCount(), 1u);
    b.scheduler->drain();
    EXPECT_EQ(cached(), (std::vector<int>{0, 1, 3}));
    ASSERT_TRUE(b.press->image(ids[1], 700));

    // A thumbnail held elsewhere (a cover on screen) stays, though asked for longest ago:
    // freeing it would free nothing.
    std::shared_ptr<const Image> held = b.press->image(ids[3], 700);
    b.press->image(ids[0], 700);
    b.press->image(ids[1], 700);
    load(ids[4]);
    EXPECT_EQ(cached(), (std::vector<int>{1, 3, 4}));

    // No budget: everything nobody holds goes at once; what is held stays.
    b.press->setThumbBudget(0);
    EXPECT_EQ(cached(), (std::vector<int>{3}));
    EXPECT_EQ(b.press->thumbBytes(), one);
    held.reset();
    b.press->forget(ids[3]);
    EXPECT_EQ(b.press->thumbBytes(), 0u);
}

// A view of one notebook hears about that notebook's cover only: the press failing every
// other notebook while offline is silent to it.
TEST(PressThumbs, ANotebooksWatcherHearsOnlyItsOwnCover) {
    Bench b;
    Notebook mine = titled("Tides");
    int heard = 0;
    Subscription watch = b.press->observe(mine.id, [&] { ++heard; });
    for (int i = 0; i < 6; ++i) {
        b.press->ensure(titled("Other " + std::to_string(i)));
        b.answer(b.calls.size() - 1, std::nullopt);
    }
    EXPECT_EQ(b.press->failed().size(), 6u);
    EXPECT_EQ(heard, 0);

    b.press->ensure(mine);  // queued
    EXPECT_EQ(heard, 1);
    b.answer(b.calls.size() - 1, painting(300, 400));  // printed
    EXPECT_EQ(heard, 2);
    EXPECT_EQ(b.press->image(mine.id, 700), nullptr);
    b.scheduler->drain();  // its thumbnail landed
    EXPECT_EQ(heard, 3);
    watch.reset();
    b.press->forget(mine.id);
    EXPECT_EQ(heard, 3);
}

}  // namespace
}  // namespace nolby
