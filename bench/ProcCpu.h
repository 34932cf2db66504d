#pragma once
// CPU time of another process, or of one of its threads, as /proc reports it: the benches that
// start build/bin/nolby and measure what it spends.

#include <fstream>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace nolby::bench {

// CPU seconds (utime + stime) from a /proc stat file; negative when it cannot be read (the
// process has ended).
inline double cpuSeconds(const std::string& statFile) {
    std::ifstream in(statFile);
    std::string line;
    if (!std::getline(in, line)) return -1;
    // The command name, in parentheses, may hold spaces: fields are counted after it.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// The whole process's CPU seconds so far.
inline double cpuSeconds(pid_t pid) { return cpuSeconds("/proc/" + std::to_string(pid) + "/stat"); }

// Its main thread's alone.
inline double mainThreadCpuSeconds(pid_t pid) {
    return cpuSeconds("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/stat");
}

}  // namespace nolby::bench
