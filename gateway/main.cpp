// nolby-gateway: the local gateway service. Prints its base address as the first line of
// standard output, then serves until interrupted.

#include "GatewayState.h"
#include "Service.h"
#include "SessionToken.h"

#include "platform/DataFolder.h"
#include "tutor/Gateway.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <iostream>
#include <string>
#include <thread>

namespace {

constexpr const char* kUsage =
    "usage: nolby-gateway [--port N] [--allowance N] [--rest HH:MM-HH:MM] [--model NAME]\n"
    "                     [--state FILE | --redis URL] [--secret-file FILE] [--control]\n"
    "  --port N            listen on 127.0.0.1:N (default 8787; 0 takes a free port)\n"
    "  --allowance N       lessons per installation and UTC day (default: no limit)\n"
    "  --rest A-B          rest every day from A to B (UTC), answering 503\n"
    "  --model NAME        with the relay, ask the model NAME whatever the app asks for\n"
    "  --state FILE        keep challenges, lesson counts and revocations in this SQLite\n"
    "                      file, across restarts and for every gateway on this machine\n"
    "                      (default: Gateway/state.sqlite in the user's data folder,\n"
    "                      $XDG_DATA_HOME/app.nolby.Nolby or ~/.local/share/app.nolby.Nolby)\n"
    "  --redis URL         keep them in Redis instead (redis://host[:port][/db]), shared by\n"
    "                      every gateway that uses it\n"
    "  --secret-file FILE  the secret that signs session tokens; made (0600) when missing.\n"
    "                      Gateways that share state must share it. (default: \"secret\"\n"
    "                      beside the state file, or in the default folder with --redis)\n"
    "  --control           for tests: scripted replies, fault switches and the request log\n"
    "                      under _control/ (never for the app)\n"
    "Replies come from the model when ANTHROPIC_API_KEY is set (NOLBY_UPSTREAM overrides\n"
    "its address), else from the offline demo tutor.\n";

bool number(const char* text, long long& out) {
    char* end = nullptr;
    out = std::strtoll(text, &end, 10);
    return end && *end == '\0' && end != text;
}

bool seconds(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end && *end == '\0' && end != text && out > 0 && out <= 86400;
}

int fail(const std::string& message) {
    std::cerr << "nolby-gateway: " << message << "\n" << kUsage;
    return 2;
}

// The gateway's own folder in the user's data folder.
std::filesystem::path defaultFolder() {
    return nolby::Platform::dataFolder(nolby::Platform::processEnvironment()).path / "Gateway";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nolby;
    service::Options options;
    std::optional<std::filesystem::path> stateFile, secretFile;
    std::optional<std::string> redis;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--control") {
            options.control = true;
            continue;
        }
        if (i + 1 >= argc) return fail("missing value after " + arg);
        const char* value = argv[++i];
        long long n;
        double s;
        if (arg == "--port") {
            if (!number(value, n) || n < 0 || n > 65535) return fail("--port takes 0 to 65535");
            options.port = static_cast<int>(n);
        } else if (arg == "--allowance") {
            if (!number(value, n) || n < 0) return fail("--allowance takes a count");
            options.allowance = n;
        } else if (arg == "--rest") {
            options.rest = service::parseWindow(value);
            if (!options.rest) return fail("--rest takes HH:MM-HH:MM");
        } else if (arg == "--model") {
            options.model = std::string(value);
        } else if (arg == "--state" || arg == "--secret-file") {
            if (!*value) return fail(arg + " takes a file");
            (arg == "--state" ? stateFile : secretFile) = std::filesystem::absolute(value);
        } else if (arg == "--redis") {
            redis = value;
        } else if (arg == "--header-deadline" || arg == "--body-deadline") {
            // For tests of slow clients, which should not have to be slow for long.
            if (!seconds(value, s)) return fail(arg + " takes seconds");
            (arg == "--header-deadline" ? options.headerDeadline : options.bodyDeadline) = s;
        } else if (arg == "--client-connections") {
            if (!number(value, n) || n < 1 || n > 100000) return fail("--client-connections takes a count");
            options.clientConnections = static_cast<int>(n);
        } else {
            return fail("unknown option " + arg);
        }
    }
    if (stateFile && redis) return fail("--state and --redis name two stores; give one");
    if (const char* key = std::getenv("ANTHROPIC_API_KEY")) options.apiKey = key;
    if (const char* upstream = std::getenv("NOLBY_UPSTREAM")) {
        std::optional<std::string> base = Gateway::baseFrom(upstream);
        if (!base) return fail("NOLBY_UPSTREAM must be an http or https address");
        options.upstream = *base;
    }

    // Interrupts are taken by a thread of their own, which stops the server; every thread
    // started from here on inherits the blocked mask.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // The state and the secret, before the port is taken: a gateway that cannot keep its
    // state does not start.
    const std::filesystem::path state = stateFile.value_or(defaultFolder() / "state.sqlite");
    const std::filesystem::path secret = secretFile.value_or((redis ? defaultFolder() : state.parent_path()) / "secret");
    try {
        options.secret = service::loadSecret(secret);
        options.state = redis ? service::redisState(*redis) : service::sqliteState(state);
    } catch (const std::exception& e) {
        std::cerr << "nolby-gateway: " << e.what() << "\n";
        return 1;
    }

    service::GatewayService gateway(options);
    std::string why;
    if (gateway.bind(&why) < 0) {
        std::cerr << "nolby-gateway: " << why << "\n";
        return 1;
    }
    std::cout << gateway.base() << std::endl;
    std::cerr << (options.apiKey.empty() ? "offline demo tutor (set ANTHROPIC_API_KEY to relay to the model)"
                                         : "relaying to " + options.upstream)
              << "; state in " << (redis ? *redis : state.string()) << std::endl;
    std::thread interrupts([&gateway, stops] {
        int signal = 0;
        sigwait(&stops, &signal);
        gateway.stop();
    });
    gateway.serve();
    // The service goes only once the interrupt thread is done with it: if serving ended
    // without an interrupt, the thread is woken with one of its own.
    pthread_kill(interrupts.native_handle(), SIGTERM);
    interrupts.join();
    return 0;
}
