#pragma once
// One Nolby per data folder. A start first offers what it was asked (LearnLine::Request) to
// the instance already running; when none answers, it takes the data folder's lock and runs
// as that instance, holding the lock for its life. A start that can do neither (the folder
// is held by an instance that does not answer) opens nothing, so two processes never write
// one notebook or hand out one issue number.

#include "app/LearnLine.h"
#include "platform/FolderLock.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <string>

namespace nolby::OneInstance {

// How long a start keeps trying while the folder is held and nothing listens yet (the holder
// may be between taking the folder and opening its door), and how long it waits for a
// running instance's answer once it has reached it (that one may still be loading).
inline constexpr int kListenWaitMs = 3000;
inline constexpr int kAnswerWaitMs = 20000;

struct Claim {
    enum class Outcome {
        handedOff,  // a running instance took the request: this process ends
        owner,      // this process is the instance; `lock` holds the folder
        refused,    // held by an instance that does not answer: this process opens nothing
    };
    Outcome outcome = Outcome::refused;
    std::shared_ptr<FolderLock> lock;
};

Claim claim(const LearnLine::Request& request, const std::filesystem::path& dataFolder, const QString& socketPath,
            int listenWaitMs = kListenWaitMs, int answerWaitMs = kAnswerWaitMs);

// What a refused start says on standard error (one line, never following the locale).
std::string refusal(const std::filesystem::path& dataFolder);
// Says it on standard error and, when there is a display, in a dialog.
void sayRefused(const std::filesystem::path& dataFolder);

}  // namespace nolby::OneInstance
