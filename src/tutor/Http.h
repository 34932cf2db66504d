#pragma once
// HTTP transfers over libcurl, for the gateway client and the gateway's relay.
//
// A transfer blocks the thread that runs it, so the program runs it in a Scheduler
// background job; start() does that and hands the reply to the main thread as it arrives:
// the status once the head is complete, then the body in the pieces that have arrived
// since the main thread last looked, then the end. Replies may stream for minutes, so the
// time-out is an idle time-out: how long connecting, or waiting for the next byte, may
// take; never a limit on the whole transfer. A cancelled transfer stops at once and
// reports nothing more. Failures carry our own plain texts, not libcurl's.

#include "platform/Scheduler.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::Http {

struct Header {
    std::string name;
    std::string value;
    bool operator==(const Header&) const = default;
};
using Headers = std::vector<Header>;

// Sets a field: the first field of that name (names compare without case) takes the value
// and any later ones go; a new name is appended.
void set(Headers& headers, std::string_view name, std::string value);

struct Request {
    std::string method = "POST";
    std::string url;
    Headers headers;
    std::optional<std::string> body;  // none: no body at all
    double timeout = 60;              // idle seconds; anything but a positive number means 60
};

// Why a transfer failed, in words the learner can read.
class Failure : public std::runtime_error {
public:
    enum class Kind { noConnection, timedOut, connectionLost };
    explicit Failure(Kind kind);
    Kind kind() const { return kind_; }
    static const char* text(Kind kind);

private:
    Kind kind_;
};

// One transfer's off switch, usable from any thread: the transfer stops at once (also while
// it waits for bytes) and, through start(), delivers nothing after cancel() returned on the
// main thread.
class Transfer {
public:
    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void cancel();
    bool cancelled() const { return cancelled_.load(); }

private:
    friend class Runner;
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    void* multi_ = nullptr;  // the running transfer's curl multi handle, to wake it
};

// What a running transfer reports, on the thread that runs it.
struct Events {
    std::function<void(int status)> head;           // once, when the final head is complete
    std::function<void(std::string_view bytes)> body;
};

// Runs one transfer on the calling thread until it ends. None when the body ended normally
// or the transfer was cancelled (ask `transfer`), else why it failed.
std::optional<Failure::Kind> perform(const Request& request, const Events& events, Transfer* transfer = nullptr);

// A whole reply, gathered by a blocking fetch().
struct Reply {
    std::optional<Failure::Kind> failure;  // set: nothing else counts
    int status = 0;
    std::string body;  // at most the limit's bytes; reading stops there
};

// Runs one transfer on the calling thread and gathers its body, stopping as soon as `limit`
// bytes have arrived (those are kept, the rest is not read). For background jobs.
Reply fetch(const Request& request, size_t limit);

// What start() hands to the main thread.
struct Receiver {
    std::function<void(int status)> onHead;
    std::function<void(std::string_view bytes)> onBody;
    // Once, last: none when the body ended, else the failure. Not called after a cancel.
    std::function<void(std::optional<Failure::Kind> failure)> onEnd;
};

// Runs the transfer in a background job of `scheduler` and posts what it reports to the main
// thread. `scheduler` must outlive the transfer.
std::shared_ptr<Transfer> start(Scheduler& scheduler, Request request, Receiver receiver);

}  // namespace nolby::Http
