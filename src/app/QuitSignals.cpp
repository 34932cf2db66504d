#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace nolby::QuitSignals {

namespace {
int pipeEnds[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[0], &byte, 1);
}
}  // namespace

void install(QObject* owner, std::function<void()> quit) {
    if (pipeEnds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) return;
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier, quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(pipeEnds[1], &byte, 1);
        notifier->setEnabled(false);  // one quit is enough
        quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace nolby::QuitSignals
