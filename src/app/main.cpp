// Nolby: the desk window with the shelf, issue windows, and the tutor behind the gateway.

#include "app/AppContext.h"
#include "app/DebugHooks.h"
#include "app/DeskWindow.h"
#include "app/IssueWindow.h"
#include "app/LaunchArguments.h"
#include "app/LearnShortcut.h"
#include "app/LessonShot.h"
#include "app/QuitSignals.h"
#include "app/Router.h"
#include "app/ShelfDrawn.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "ui/QtScheduler.h"

#include <QApplication>

#include <memory>
#include <optional>
#include <string>

using namespace nolby;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nolby");
    QApplication::setDesktopFileName("nolby");
    const LaunchArguments arguments = LaunchArguments::parse(argc, argv);

    // `nolby --learn "topic"`: a running instance takes the topic and this process ends.
    std::optional<std::string> topic;
    if (arguments.learn) {
        topic = arguments.learn->topic;
        if (!topic) topic = LearnShortcut::askForTopic();
        if (!topic) return 0;  // asked, and nothing given
        if (LearnShortcut::handOff(*topic)) return 0;
    }

    // The handwriting and print faces, for this process only.
    Faces::registerFrom();
    Mag::registerFrom();

    auto scheduler = std::make_shared<QtScheduler>();
    auto context = AppContext::standard(scheduler);
    context->warmup = arguments.warmup;
    int status = 0;
    {
        auto openInWindow = [context](const Uuid& id) {
            auto* window = new IssueWindow(context, id);
            window->show();
        };
        DeskWindow desk(context, openInWindow);

        // Later `nolby --learn` runs hand their topics to this instance.
        LearnShortcut learn;
        learn.onLearn = [](const std::string& topic) { Router::shared().learn.set(topic); };
        QObject::connect(&learn, &LearnShortcut::reached, &desk, [&desk] {
            desk.showNormal();
            desk.raise();
            desk.activateWindow();
        });
        learn.listen();

        // Quitting, by any road, commits every note and closes every notebook, then writes
        // the saves still waiting.
        auto shutAll = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<AppWindow*>(widget)) window->shut();
        };
        QObject::connect(&app, &QApplication::aboutToQuit, shutAll);
        QuitSignals::install(&app, [] { QApplication::quit(); });

        if (topic) Router::shared().learn.set(*topic);
        if (auto file = DebugHooks::value("-screenshot")) new LessonShot(&desk, QString::fromStdString(*file));
        if (arguments.quitAfterShelf) ShelfDrawn::quitAfter(desk.deskView()->newsstand());
        desk.show();
        status = QApplication::exec();
        shutAll();
        context->library->flush();
    }
    // The press and the store live on in process-wide objects: let no worker outlive main().
    scheduler->finish();
    return status;
}
