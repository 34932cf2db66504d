#pragma once
// The one QApplication of the benches that measure widgets in their own process: on the
// offscreen platform unless the environment names another.

#include <QApplication>

#include <cstdlib>

namespace nolby::bench {

inline QApplication& offscreenApp() {
    static int argc = 1;
    static char name[] = "nolby-bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: Qt's own globals may be gone by the time statics are.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

}  // namespace nolby::bench
