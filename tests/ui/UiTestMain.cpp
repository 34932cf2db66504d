// The Qt tests' entry: an application on the offscreen platform unless the environment
// names another, since the build itself runs this binary to list its tests.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder; a fresh one per user keeps it quiet.
        const std::string dir = (std::filesystem::temp_directory_path() / ("nolby-ui-tests-" + std::to_string(getuid()))).string();
        mkdir(dir.c_str(), 0700);
        chmod(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
