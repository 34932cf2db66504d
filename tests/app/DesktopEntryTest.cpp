// The desktop entry the build writes: the app and its "Learn" action, which runs --learn
// without a topic (the app then asks for one), found by the three phrases.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Group = std::map<std::string, std::string>;

// Groups of key=value lines, as the desktop entry format has them.
std::map<std::string, Group> read(const QString& path) {
    std::map<std::string, Group> groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return groups;
    std::string group;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const std::string line = in.readLine().toStdString();
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq != std::string::npos) groups[group][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return groups;
}

TEST(DesktopEntry, OffersLearnAndIsFoundByThePhrases) {
    // The test binary lives in the build's bin/, beside nolby; the entry in share/applications.
    const QString bin = QCoreApplication::applicationDirPath();
    const auto groups = read(QDir(bin).filePath("../share/applications/nolby.desktop"));
    ASSERT_TRUE(groups.count("Desktop Entry"));
    const Group& app = groups.at("Desktop Entry");
    const std::string nolby = "\"" + QDir(bin).filePath("nolby").toStdString() + "\"";
    EXPECT_EQ(app.at("Type"), "Application");
    EXPECT_EQ(app.at("Name"), "Nolby");
    EXPECT_EQ(app.at("Exec"), nolby);
    // The build's own copy of the icon, by its path (the installed entry names the theme's).
    EXPECT_EQ(app.at("Icon"), QDir::cleanPath(QDir(bin).filePath("../share/icons/hicolor/scalable/apps/nolby.svg")).toStdString());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(app.at("Icon"))));
    EXPECT_EQ(app.at("Keywords"), "Learn something in Nolby;Ask Nolby;Teach me with Nolby;");
    EXPECT_EQ(app.at("Actions"), "learn;");
    ASSERT_TRUE(groups.count("Desktop Action learn"));
    const Group& learn = groups.at("Desktop Action learn");
    EXPECT_EQ(learn.at("Name"), "Learn");
    EXPECT_EQ(learn.at("Exec"), nolby + " --learn");
}

}  // namespace
