// Nolby: the desk window with the shelf, issue windows, and the tutor behind the gateway.

#include "app/AppContext.h"
#include "app/DeskWindow.h"
#include "app/IssueWindow.h"
#include "app/LessonShot.h"
#include "app/Router.h"
#include "app/QuitSignals.h"
#include "app/ShelfDrawn.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "ui/QtScheduler.h"

#include <QApplication>

#include <memory>
#include <optional>
#include <string>

using namespace nolby;

namespace {
// The argument after `key`, if any.
std::optional<std::string> argument(int argc, char** argv, std::string_view key) {
    for (int i = 1; i + 1 < argc; ++i)
        if (key == argv[i]) return std::string(argv[i + 1]);
    return std::nullopt;
}
bool flag(int argc, char** argv, std::string_view name) {
    for (int i = 1; i < argc; ++i)
        if (name == argv[i]) return true;
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nolby");
    QApplication::setDesktopFileName("nolby");

    // The handwriting and print faces, for this process only.
    Faces::registerFrom();
    Mag::registerFrom();

    auto scheduler = std::make_shared<QtScheduler>();
    auto context = AppContext::standard(scheduler);
    int status = 0;
    {
        auto openInWindow = [context](const Uuid& id) {
            auto* window = new IssueWindow(context, id);
            window->show();
        };
        DeskWindow desk(context, openInWindow);
        // Quitting, by any road, commits every note and closes every notebook, then writes
        // the saves still waiting.
        auto shutAll = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<AppWindow*>(widget)) window->shut();
        };
        QObject::connect(&app, &QApplication::aboutToQuit, shutAll);
        QuitSignals::install(&app, [] { QApplication::quit(); });
        if (auto topic = argument(argc, argv, "--learn")) Router::shared().learn.set(*topic);
        if (auto file = argument(argc, argv, "-screenshot")) new LessonShot(&desk, QString::fromStdString(*file));
        if (flag(argc, argv, "-quit-after-shelf")) ShelfDrawn::quitAfter(desk.deskView()->newsstand());
        desk.show();
        status = QApplication::exec();
        shutAll();
        context->library->flush();
    }
    // The press and the store live on in process-wide objects: let no worker outlive main().
    scheduler->finish();
    return status;
}
