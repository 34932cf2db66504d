#include "app/OneInstance.h"

#include "app/Display.h"
#include "app/LearnShortcut.h"

#include <QMessageBox>

#include <chrono>
#include <iostream>
#include <thread>

namespace nolby::OneInstance {

Claim claim(const LearnLine::Request& request, const std::filesystem::path& dataFolder, const QString& socketPath,
            int listenWaitMs, int answerWaitMs) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (;;) {
        // Offered once to whoever answers: a slow instance still acts on a line it was sent,
        // so a line is never sent twice.
        switch (LearnShortcut::handOff(request, socketPath, 1000, answerWaitMs)) {
        case LearnShortcut::HandOff::taken:
            return {Claim::Outcome::handedOff, nullptr};
        case LearnShortcut::HandOff::silent:
            return {Claim::Outcome::refused, nullptr};
        case LearnShortcut::HandOff::nobody:
            break;
        }
        auto lock = FolderLock::take(dataFolder);
        if (lock->owns()) return {Claim::Outcome::owner, std::move(lock)};
        if (Clock::now() - start > std::chrono::milliseconds(listenWaitMs)) return {Claim::Outcome::refused, nullptr};
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string refusal(const std::filesystem::path& dataFolder) {
    return "nolby: another Nolby holds the data folder " + dataFolder.string() +
           " and does not answer; nothing was opened";
}

void sayRefused(const std::filesystem::path& dataFolder) {
    std::cerr << refusal(dataFolder) << std::endl;
    if (!Display::available()) return;
    QMessageBox box(QMessageBox::Warning, "Nolby", "Nolby is already running with your notebooks, but it does not answer.");
    box.setInformativeText("Nothing was opened here, so nothing of yours is written twice. Quit the other Nolby, "
                           "or wait for it, and try again.");
    box.exec();
}

}  // namespace nolby::OneInstance
