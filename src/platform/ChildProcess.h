#pragma once
// A program run as a child of this process, with its standard output on a pipe to us and
// its standard error shared with ours. The child never outlives us: it is told to end
// (SIGTERM) when the thread that started it ends, which covers this process being killed
// outright; stop() ends it cleanly and reaps it. Plain POSIX, no event loop: the calls here
// block for at most the time they are given.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace nolby {

class ChildProcess {
public:
    struct Options {
        std::string program;                   // a path; PATH is not searched
        std::vector<std::string> arguments;    // after the program's own name
        std::vector<std::string> environment;  // "NAME=value" lines: the child's whole environment
    };

    // Starts the program. Null when no process could be made; a program that cannot be run
    // ends at once with status 127.
    static std::unique_ptr<ChildProcess> start(const Options& options);
    // This process's environment as "NAME=value" lines, without the names in `leaveOut`.
    static std::vector<std::string> environment(const std::vector<std::string>& leaveOut = {});

    ~ChildProcess();  // stop()
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The first line the child writes to its standard output, without its end; none when it
    // closes its output, ends, or `timeoutMs` passes first. Reads no further than that line
    // (up to 4096 bytes); later output is not read. One reader at a time.
    std::optional<std::string> firstLine(int timeoutMs);
    // Whether it still runs (it is reaped once it has ended).
    bool running();
    // Asks it to end (SIGTERM), waits up to `graceMs` for it, then kills it; reaps it either
    // way. Safe to call from any thread, more than once.
    void stop(int graceMs = 3000);

private:
    ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}
    // Reaps the child if it has ended, waiting up to `ms`; true when it is gone.
    bool reap(int ms);

    pid_t pid_;
    int output_;  // read end of the child's standard output
    std::mutex mutex_;
    bool ended_ = false;
};

}  // namespace nolby
