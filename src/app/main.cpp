// Nolby: the desk window with the shelf, issue windows, and the tutor behind the gateway.

#include "app/AppContext.h"
#include "app/DebugHooks.h"
#include "app/DeskWindow.h"
#include "app/IssueWindow.h"
#include "app/LaunchArguments.h"
#include "app/LearnShortcut.h"
#include "app/LessonShot.h"
#include "app/OneInstance.h"
#include "app/QuitSignals.h"
#include "app/Router.h"
#include "app/ShelfDrawn.h"
#include "app/UnsavedAtQuit.h"
#include "app/UnsavedWatch.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "platform/DataFolder.h"
#include "tutor/LocalGateway.h"
#include "ui/QtScheduler.h"

#include <QApplication>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

using namespace nolby;

namespace {

// The gateway named by NOLBY_API, else the one at the usual address, else one of our own
// (`own`), started when the tutor or the press first needs it.
std::shared_ptr<Gateway::Address> gatewayAddress(const LaunchArguments& arguments, std::optional<std::string> apiKey,
                                                 std::shared_ptr<LocalGateway>& own) {
    if (std::optional<std::string> named = Gateway::namedBase()) return Gateway::Address::fixed(*named);
    LocalGateway::Options options;
    if (arguments.gatewayAt) options.usual = *arguments.gatewayAt;
    options.apiKey = std::move(apiKey);
    own = std::make_shared<LocalGateway>(std::move(options));
    return own;
}

}  // namespace

int main(int argc, char** argv) {
    // The model's key is for the gateway this app may start, and for nothing else it starts.
    std::optional<std::string> apiKey = LocalGateway::takeApiKey();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nolby");
    QApplication::setDesktopFileName("nolby");
    const LaunchArguments arguments = LaunchArguments::parse(argc, argv);

    // What this start asks for: a lesson (`--learn "topic"`), a notebook (`-open`), or only
    // the desk. An instance already running on the data folder takes it and this one ends.
    LearnLine::Request request;
    if (arguments.learn) {
        std::optional<std::string> topic = arguments.learn->topic;
        if (!topic) topic = LearnShortcut::askForTopic();
        if (!topic) return 0;  // asked, and nothing given
        request = {LearnLine::Request::Kind::learn, *topic};
    } else if (arguments.open) {
        request = {LearnLine::Request::Kind::open, *arguments.open};
    }
    const std::filesystem::path dataFolder = Platform::support();
    const OneInstance::Claim claim = OneInstance::claim(request, dataFolder, LearnShortcut::defaultPath());
    if (claim.outcome == OneInstance::Claim::Outcome::handedOff) return 0;
    if (claim.outcome == OneInstance::Claim::Outcome::refused) {
        OneInstance::sayRefused(dataFolder);
        return 1;
    }
    // Later starts hand their requests to this instance; they wait for its answer while it
    // loads, so the door opens as soon as the folder is ours.
    LearnShortcut door;
    door.listen();

    // The handwriting and print faces, for this process only.
    Faces::registerFrom();
    Mag::registerFrom();

    auto scheduler = std::make_shared<QtScheduler>();
    std::shared_ptr<LocalGateway> ownGateway;
    auto context =
        AppContext::standard(scheduler, claim.lock, gatewayAddress(arguments, std::move(apiKey), ownGateway));
    context->warmup = arguments.warmup;
    int status = 0;
    {
        auto openInWindow = [context](const Uuid& id) {
            auto* window = new IssueWindow(context, id);
            window->show();
        };
        DeskWindow desk(context, openInWindow);

        door.onLearn = [](const std::string& topic) { Router::shared().learn.set(topic); };
        door.onOpen = [&desk, context](const std::string& open) {
            auto notebook = DebugHooks::named(*context->library, open);
            const auto& shown = desk.deskView()->model();
            if (notebook && !(shown && shown->nb->id == notebook->id)) desk.deskView()->show(*notebook);
        };
        QObject::connect(&door, &LearnShortcut::reached, &desk, [&desk] {
            desk.showNormal();
            desk.raise();
            desk.activateWindow();
        });

        // While a save fails, a change of the notebooks' folder tries it again at once.
        UnsavedWatch unsavedWatch(context->library);

        // Quitting, by any road, commits every note and closes every notebook, then writes
        // the saves still waiting.
        auto shutAll = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<AppWindow*>(widget)) window->shut();
        };
        QObject::connect(&app, &QApplication::aboutToQuit, shutAll);
        QuitSignals::install(&app, [] { QApplication::quit(); });

        if (request.kind == LearnLine::Request::Kind::learn) Router::shared().learn.set(request.text);
        if (auto file = DebugHooks::value("-screenshot")) new LessonShot(&desk, QString::fromStdString(*file));
        if (arguments.quitAfterShelf) ShelfDrawn::quitAfter(desk.deskView()->newsstand());
        desk.show();
        status = QApplication::exec();
        shutAll();
        // A notebook that still cannot be written is named before the app ends.
        if (!UnsavedAtQuit::settle(*context->library, std::cerr) && status == 0) status = 1;
    }
    // Our gateway ends with us; a request still waiting for it to start gives up at once.
    if (ownGateway) ownGateway->stop();
    // The press and the store live on in process-wide objects: let no worker outlive main().
    scheduler->finish();
    return status;
}
