#pragma once
// A redis-server of its own for tests and benches: on a free port of 127.0.0.1, nothing
// written to disk (no snapshots, no append-only file, its folder a temporary one), stopped
// and removed with this object. scripts/setup installs the server.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace nolby::testing {

struct RedisProcess {
    pid_t pid = -1;
    int port = 0;
    std::filesystem::path folder;
    std::string why;  // why it is not running, when it is not

    // "redis://127.0.0.1:<port>/<db>".
    std::string url(int db = 0) const { return "redis://127.0.0.1:" + std::to_string(port) + "/" + std::to_string(db); }
    bool running() const { return pid > 0; }

    static std::string program() {
        const char* path = std::getenv("PATH");
        std::string dirs = std::string(path ? path : "") + ":/usr/bin:/usr/sbin:/usr/local/bin";
        for (size_t at = 0; at <= dirs.size();) {
            const size_t end = std::min(dirs.find(':', at), dirs.size());
            const std::filesystem::path candidate = std::filesystem::path(dirs.substr(at, end - at)) / "redis-server";
            if (end > at && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
            at = end + 1;
        }
        return "";
    }

    RedisProcess() {
        const std::string server = program();
        if (server.empty()) {
            why = "redis-server is not installed (scripts/setup installs it)";
            return;
        }
        std::string made = (std::filesystem::temp_directory_path() / "nolby-redis-XXXXXX").string();
        if (!mkdtemp(made.data())) {
            why = "no temporary folder";
            return;
        }
        folder = made;
        // A free port may be taken between finding it and the server binding it: then again.
        for (int attempt = 0; attempt < 5 && pid <= 0; ++attempt) start(server, freePort());
        if (pid <= 0 && why.empty()) why = "redis-server did not start";
    }
    ~RedisProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            for (int i = 0; i < 500 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (::kill(pid, 0) == 0) {
                ::kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    RedisProcess(const RedisProcess&) = delete;
    RedisProcess& operator=(const RedisProcess&) = delete;

private:
    static int freePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        ::close(fd);
        return port;
    }

    // Whether the server on the port is the one with process id `server` (another test's
    // server may hold a port we thought free).
    static bool answers(int port, pid_t server) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval limit{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        const std::string mark = "process_id:" + std::to_string(server) + "\r\n";
        std::string reply;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::send(fd, "INFO server\r\n", 13, MSG_NOSIGNAL) == 13) {
            char buffer[4096];
            ssize_t n;
            while (reply.find(mark) == std::string::npos && reply.size() < 65536 && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                reply.append(buffer, static_cast<size_t>(n));
        }
        ::close(fd);
        return reply.find(mark) != std::string::npos;
    }

    void start(const std::string& server, int at) {
        if (at <= 0) return;
        std::vector<std::string> args = {server,        "--port",     std::to_string(at), "--bind", "127.0.0.1",
                                         "--save",      "",           "--appendonly",     "no",     "--dir",
                                         folder.string(), "--daemonize", "no",             "--loglevel", "warning"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t started = -1;
        const bool spawned = posix_spawn(&started, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned) {
            why = "redis-server could not be started";
            return;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            if (waitpid(started, nullptr, WNOHANG) == started) return;  // it ended: the port was taken
            if (answers(at, started)) {
                pid = started;
                port = at;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(started, SIGKILL);
        waitpid(started, nullptr, 0);
    }
};

}  // namespace nolby::testing
