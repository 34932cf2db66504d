// The shelf as a reader sees it, light and dark, written to screenshots/ in the build tree
// for a person to look at; the test checks only that the two differ as they should.
#include "ShelfTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace nolby {
namespace {

TEST(ShelfScreenshots, LightAndDark) {
    test::Desk d;
    const char* titles[] = {"Why the Sky Is Blue", "How Vaccines Teach", "", "Why Does Bread Rise",
                            "The Heart as a Pump", "Leaves in Autumn", "Black Holes and Light", "Sad Chords"};
    std::vector<Notebook> issues;
    for (int i = 0; i < 8; ++i) {
        Notebook n = test::issue(titles[i], i + 1, 800000000 - i * 90000);
        n.color = i % 2 ? "red" : "blue";
        n.plan = R"({"steps":["Light is a wave","Scattering by air","Why not violet"],"doodle":[{"k":"doodle","name":"bulb","s":60}]})";
        if (i != 2) n.pages[0].items.push_back(TextItem{});
        issues.push_back(n);
    }
    d.add(issues);
    d.replies = 12;
    Newsstand& s = d.open({1280, 860});
    s.show();
    d.settled();
    // Two covers come back painted.
    for (size_t i = 0; i < d.paintings.size() && i < 2; ++i) d.paintings[i](test::painting(600, 800));
    d.scheduler->drain();
    d.settled();
    d.scheduler->advance(3);  // past their arrival

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    QImage light = d.settled();
    s.setScheme(ColorScheme::Scheme::dark);
    QImage dark = d.settled();
    EXPECT_TRUE(light.save(dir + "/shelf-light.png"));
    EXPECT_TRUE(dark.save(dir + "/shelf-dark.png"));
    s.shelf()->verticalScrollBar()->setValue(500);
    EXPECT_TRUE(d.settled().save(dir + "/shelf-dark-covers.png"));
    s.setScheme(ColorScheme::Scheme::light);
    EXPECT_TRUE(d.settled().save(dir + "/shelf-light-covers.png"));
    // The desk's corner: the table colour in the light, night in the dark.
    EXPECT_GT(qGray(light.pixel(4, light.height() - 4)), 180);
    EXPECT_LT(qGray(dark.pixel(4, dark.height() - 4)), 60);
}

}  // namespace
}  // namespace nolby
