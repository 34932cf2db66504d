#include "platform/DataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace nolby::Platform {

namespace {

std::optional<std::string> variable(const char* name) {
    if (const char* v = std::getenv(name)) return std::string(v);
    return std::nullopt;
}

std::filesystem::path applicationSupport(const Environment& env) {
    if (isUsableFolder(env.xdgDataHome)) return std::filesystem::path(*env.xdgDataHome);
    // With no home at all, the temporary folder beats writing beside the working folder.
    std::filesystem::path home =
        isUsableFolder(env.home) ? std::filesystem::path(*env.home) : std::filesystem::path("/tmp");
    return home / ".local" / "share";
}

}  // namespace

bool isUsableFolder(const std::optional<std::string>& dir) { return dir && !dir->empty() && (*dir)[0] == '/'; }

DataFolder dataFolder(const Environment& env) {
    std::filesystem::path base = applicationSupport(env);
    if (env.sandboxContainerId) return {base, false};
    return {base / applicationIdentifier, true};
}

Environment processEnvironment() {
    Environment env{variable("XDG_DATA_HOME"), variable("HOME"), variable("APP_SANDBOX_CONTAINER_ID")};
    if (!isUsableFolder(env.home)) {
        // getpwuid_r keeps this safe when another thread reads the user database too.
        struct passwd pw{}, *found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
            env.home = std::string(found->pw_dir);
    }
    return env;
}

const std::filesystem::path& support() {
    static const std::filesystem::path folder = [] {
        DataFolder d = dataFolder(processEnvironment());
        if (d.create) {
            std::error_code ignored;
            std::filesystem::create_directories(d.path, ignored);
        }
        return d.path;
    }();
    return folder;
}

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace nolby::Platform
