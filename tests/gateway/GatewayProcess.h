#pragma once
// The nolby-gateway program as a process of its own (from build/bin, beside the tests and
// benches), and a bare client socket that sends exactly the bytes it is given: for what only
// the program shows (its exit, its signals, its memory) and for clients no library would be
// (slow, bodiless, chunked, foreign). Shared by the tests and the benches, so it asserts
// nothing itself. Nothing here reaches beyond 127.0.0.1.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace nolby::testing {

struct GatewayProcess {
    pid_t pid = -1;
    int out = -1, err = -1;  // its standard output and error
    std::string base;        // "http://127.0.0.1:<port>/", once it printed it
    int port = 0;
    // Its data folder (XDG_DATA_HOME), made for it and removed after it, so that its state
    // and secret never land in the user's own; tests that restart it pass --state.
    std::filesystem::path data;

    static std::string program() {
        return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "nolby-gateway").string();
    }

    // Starts it with these arguments and waits for the address it prints first (none when it
    // ends without one).
    explicit GatewayProcess(std::vector<std::string> args) {
        int o[2], e[2];
        if (pipe2(o, O_CLOEXEC) != 0 || pipe2(e, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, o[1], 1);
        posix_spawn_file_actions_adddup2(&actions, e[1], 2);
        args.insert(args.begin(), program());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        // Never the real model: without a key in its environment it answers with its demo.
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            if (std::string_view(*e).rfind("ANTHROPIC_API_KEY=", 0) != 0 && std::string_view(*e).rfind("NOLBY_UPSTREAM=", 0) != 0 &&
                std::string_view(*e).rfind("XDG_DATA_HOME=", 0) != 0)
                env.push_back(*e);
        std::string folder = (std::filesystem::temp_directory_path() / "nolby-gateway-data-XXXXXX").string();
        if (mkdtemp(folder.data())) data = folder;
        std::string dataHome = "XDG_DATA_HOME=" + data.string();
        env.push_back(dataHome.data());
        env.push_back(nullptr);
        const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(o[1]);
        ::close(e[1]);
        out = o[0];
        err = e[0];
        if (!spawned) {
            pid = -1;
            return;
        }
        std::string line;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until && line.find('\n') == std::string::npos) {
            pollfd p{out, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c;
            if (::read(out, &c, 1) != 1) break;
            line += c;
        }
        if (line.rfind("http://127.0.0.1:", 0) == 0 && line.back() == '\n') {
            base = line.substr(0, line.size() - 1);
            port = std::stoi(base.substr(17));
        }
    }
    ~GatewayProcess() {
        if (pid > 0 && !exited) {
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) ::close(out);
        if (err >= 0) ::close(err);
        std::error_code ignored;
        if (!data.empty()) std::filesystem::remove_all(data, ignored);
    }

    // Waits up to `seconds` for it to end; its wait status, or none while it runs.
    std::optional<int> wait(double seconds) {
        if (pid <= 0) return std::nullopt;
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        do {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < until);
        return std::nullopt;
    }
    // What it wrote to standard error (all of it, once it has ended).
    std::string errors() {
        std::string text;
        char buffer[4096];
        pollfd p{err, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0) {
            const ssize_t n = ::read(err, buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }
    // Its peak resident memory so far, in KiB.
    long peakKiB() const {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
        return -1;
    }

private:
    bool exited = false;
};

// One connection from a chosen loopback address (127.0.0.2 is another client), writing
// exactly what the test sends.
struct RawClient {
    int fd = -1;

    explicit RawClient(int port, const char* from = "127.0.0.1") {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            ::close(fd);
            fd = -1;
        }
        timeval limit{20, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    ~RawClient() {
        if (fd >= 0) ::close(fd);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Reads one whole reply (its Content-Length, or its chunks up to the last), or what
    // came before the service closed; waits at most `seconds`. What follows it is kept for
    // the next call.
    std::string reply(double seconds = 20) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until && length(pending) == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char buffer[65536];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            pending.append(buffer, static_cast<size_t>(n));
        }
        const std::string out = pending.substr(0, length(pending));
        pending.erase(0, out.size());
        return out;
    }

    // Whether the service has closed this connection, waiting up to `seconds` for it.
    bool closedByService(double seconds = 0) {
        pollfd p{fd, POLLRDHUP, 0};
        ::poll(&p, 1, static_cast<int>(seconds * 1000));
        char c;
        const ssize_t n = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }
    // Whether anything has arrived; without waiting.
    bool heardFrom() {
        char c;
        return ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }

private:
    std::string pending;  // read, not yet handed out

    // The length of the first whole reply in `in` (interim replies included), or npos.
    static size_t length(const std::string& in, size_t from = 0) {
        const size_t end = in.find("\r\n\r\n", from);
        if (end == std::string::npos) return std::string::npos;
        const std::string head = in.substr(from, end - from);
        if (head.rfind("HTTP/1.1 100", 0) == 0) return length(in, end + 4);
        const size_t field = head.find("Content-Length: ");
        if (field != std::string::npos) {
            const size_t total = end + 4 + std::stoul(head.substr(field + 16));
            return in.size() >= total ? total : std::string::npos;
        }
        const size_t last = in.find("\r\n0\r\n\r\n", end);
        return last == std::string::npos ? std::string::npos : last + 7;
    }
};

// The status of a reply's bytes ("HTTP/1.1 403 ..." gives 403), skipping interim replies; 0
// when there is none.
inline int statusOf(const std::string& reply) {
    size_t at = 0;
    while (reply.compare(at, 12, "HTTP/1.1 100") == 0) {
        const size_t end = reply.find("\r\n\r\n", at);
        if (end == std::string::npos) return 0;
        at = end + 4;
    }
    if (reply.compare(at, 9, "HTTP/1.1 ") != 0 || reply.size() < at + 12) return 0;
    return std::stoi(reply.substr(at + 9, 3));
}

// The body of a reply with a Content-Length.
inline std::string bodyOf(const std::string& reply) {
    const size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? "" : reply.substr(end + 4);
}

}  // namespace nolby::testing
