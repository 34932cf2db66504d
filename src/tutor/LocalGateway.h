#pragma once
// The gateway the app talks to when no address was named for it: one already answering at
// the usual address (a gateway the learner started), else a nolby-gateway of the app's own.
// That one is started beside the app on a free loopback port when a request first needs it,
// started again if it has ended, and stopped with the app. The model's key, when the app was
// given one, goes to that process only.
//
// Looking and starting block, so they run in the gateway client's background jobs (see
// Gateway::Address); a gateway that will not start costs each request at most the start
// time-out, and the request then fails as an unreachable gateway does.

#include "tutor/Gateway.h"

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace nolby {

class ChildProcess;

class LocalGateway final : public Gateway::Address {
public:
    struct Options {
        // Where a running gateway is looked for before one is started.
        std::string usual = Gateway::builtInBase;
        // The nolby-gateway to start.
        std::filesystem::path program = beside();
        // ANTHROPIC_API_KEY for the started gateway; none: it runs its offline demo tutor.
        std::optional<std::string> apiKey;
        // How long a connection to the usual address may take before nobody counts as there.
        int lookMs = 300;
        // How long a started gateway has to print its address.
        int startMs = 10000;
    };

    explicit LocalGateway(Options options);
    ~LocalGateway() override;  // stop()
    LocalGateway(const LocalGateway&) = delete;
    LocalGateway& operator=(const LocalGateway&) = delete;

    std::optional<std::string> known() override;
    std::string resolve() override;

    // Stops the started gateway and starts no other; resolve() then gives the usual address.
    // Call before the scheduler's workers are waited for: a resolve() waiting on a start
    // returns at once.
    void stop();
    // The started gateway's process, while it runs.
    std::optional<int> child();

    // The nolby-gateway in the running program's own folder.
    static std::filesystem::path beside();
    // Takes ANTHROPIC_API_KEY out of this process's environment, so that no process the app
    // starts inherits it, and returns it (none when unset or empty). Call first thing in
    // main(), before any thread starts.
    static std::optional<std::string> takeApiKey();
    // Whether something accepts a connection at `base` (an http address) within `ms`.
    static bool answers(const std::string& base, int ms);

private:
    // The keeper thread: every gateway is started from it, because a child is told to end
    // when the thread that started it ends, and this one lives until stop().
    void keep();
    // Starts a gateway and waits for its address; none when it does not give one in time.
    std::optional<std::string> start();

    const Options options_;
    std::mutex mutex_;                // guards everything below
    std::mutex resolving_;            // one resolve() looks or starts at a time
    std::condition_variable wake_;
    std::shared_ptr<ChildProcess> child_;
    std::string childBase_;           // the started gateway's address, once it has said it
    bool stopped_ = false;
    bool wanted_ = false;             // resolve() asks the keeper for a start
    std::optional<std::string> made_; // the keeper's answer: the started gateway's base, or "" for none
    std::thread keeper_;
};

}  // namespace nolby
