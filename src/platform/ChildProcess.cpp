#include "platform/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nolby {

namespace {

constexpr size_t kLineMax = 4096;

// Everything the child needs after fork(), made before it: between fork() and exec() only
// async-signal-safe calls may run, so nothing there allocates.
struct Launch {
    std::vector<std::string> strings;
    std::vector<char*> argv, envp;
    int maxFd = 1024;

    explicit Launch(const ChildProcess::Options& options) {
        strings.reserve(1 + options.arguments.size() + options.environment.size());
        strings.push_back(options.program);
        for (const std::string& a : options.arguments) strings.push_back(a);
        for (const std::string& e : options.environment) strings.push_back(e);
        const size_t args = 1 + options.arguments.size();
        for (size_t i = 0; i < strings.size(); ++i) (i < args ? argv : envp).push_back(strings[i].data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        rlimit limit{};
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            maxFd = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536));
    }
};

[[noreturn]] void becomeChild(const Launch& launch, pid_t parent, int output) {
    // Told to end when the thread that started us ends, however it ends; and if the parent
    // is already gone, end now.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    // A clean slate of signals: nothing blocked, nothing ignored that the program expects.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD}) ::sigaction(s, &standard, nullptr);
    if (output != STDOUT_FILENO) {
        ::dup2(output, STDOUT_FILENO);  // dup2 leaves the new descriptor open across exec
    } else {
        ::fcntl(output, F_SETFD, 0);
    }
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing >= 0 && nothing != STDIN_FILENO) ::dup2(nothing, STDIN_FILENO);
    // Nothing else of ours (the data folder's lock, sockets) goes with it.
    if (::close_range(3, ~0U, 0) != 0)
        for (int fd = 3; fd < launch.maxFd; ++fd) ::close(fd);
    ::execve(launch.argv[0], launch.argv.data(), launch.envp.data());
    ::_exit(127);
}

}  // namespace

std::vector<std::string> ChildProcess::environment(const std::vector<std::string>& leaveOut) {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) {
        const std::string line(*e);
        const std::string name = line.substr(0, line.find('='));
        bool kept = true;
        for (const std::string& gone : leaveOut) kept = kept && name != gone;
        if (kept) out.push_back(line);
    }
    return out;
}

std::unique_ptr<ChildProcess> ChildProcess::start(const Options& options) {
    const Launch launch(options);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return nullptr;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) becomeChild(launch, parent, ends[1]);
    ::close(ends[1]);
    if (pid < 0) {
        ::close(ends[0]);
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, ends[0]));
}

ChildProcess::~ChildProcess() {
    stop();
    ::close(output_);
}

std::optional<std::string> ChildProcess::firstLine(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    char buffer[512];
    while (line.size() < kLineMax) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{output_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        const ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;  // the child closed its output or ended
        line.append(buffer, static_cast<size_t>(n));
        if (const size_t end = line.find('\n'); end != std::string::npos) {
            line.resize(end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
    }
    return std::nullopt;
}

bool ChildProcess::reap(int ms) {
    // Called with mutex_ held.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) return ended_ = true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool ChildProcess::running() {
    std::lock_guard lock(mutex_);
    return !ended_ && !reap(0);
}

void ChildProcess::stop(int graceMs) {
    std::lock_guard lock(mutex_);
    if (ended_ || reap(0)) return;
    ::kill(pid_, SIGTERM);
    if (reap(graceMs)) return;
    ::kill(pid_, SIGKILL);
    reap(60000);
}

}  // namespace nolby
