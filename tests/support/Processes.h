#pragma once
// Looking at real processes and ports from a test: a loopback address where nothing
// listens, whether a process runs, its environment, and the children of a process by name.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nolby::test {

// A loopback address where nothing listens (a port the system just handed out and took back).
inline std::string unusedBase() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length), 0);
    ::close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/";
}

inline std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The fields of /proc/PID/stat after the name: state first, then the parent's id.
inline std::vector<std::string> statOf(pid_t pid) {
    const std::string stat = readWhole("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    std::vector<std::string> fields;
    if (paren == std::string::npos) return fields;
    std::istringstream rest(stat.substr(paren + 1));
    for (std::string f; rest >> f && fields.size() < 2;) fields.push_back(f);
    return fields;
}

// A process that still runs (a zombie does not count).
inline bool alive(pid_t pid) {
    const auto fields = statOf(pid);
    return !fields.empty() && fields[0] != "Z";
}

// Waits up to `ms` for the process to end; true when it has.
inline bool waitGone(pid_t pid, int ms = 10000) {
    for (int waited = 0; waited < ms && alive(pid); waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !alive(pid);
}

// The environment a process was started with, one "NAME=value" a line, a line break first.
inline std::string environmentOf(pid_t pid) {
    std::string e = "\n" + readWhole("/proc/" + std::to_string(pid) + "/environ");
    std::replace(e.begin(), e.end(), '\0', '\n');
    return e;
}

// The running children of `parent` whose program is `name`.
inline std::vector<pid_t> childrenNamed(pid_t parent, const std::string& name) {
    std::vector<pid_t> out;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string id = entry.path().filename().string();
        if (id.empty() || !std::all_of(id.begin(), id.end(), ::isdigit)) continue;
        const pid_t pid = std::stoi(id);
        const auto fields = statOf(pid);
        if (fields.size() < 2 || fields[0] == "Z" || fields[1] != std::to_string(parent)) continue;
        std::string comm = readWhole(entry.path() / "comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        if (comm == name.substr(0, 15)) out.push_back(pid);  // the kernel keeps 15 characters
    }
    return out;
}

}  // namespace nolby::test
