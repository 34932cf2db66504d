#pragma once
// A folder of the benches' own under the temporary folder, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace nolby::bench {

// A new folder "<prefix>-XXXXXX" under the temporary folder, removed with everything in it
// when this goes (a static one at exit: its destructor runs while its path still exists).
struct TempFolder {
    std::filesystem::path path;
    explicit TempFolder(const std::string& prefix) {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(tmpl.data())) std::abort();
        path = tmpl;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace nolby::bench
