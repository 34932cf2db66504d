#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends.

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

namespace nolby::test {

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "nolby-test-XXXXXX").string();
        path = mkdtemp(tmpl.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    size_t entries() const {
        return size_t(std::distance(std::filesystem::directory_iterator(path), std::filesystem::directory_iterator()));
    }
};

}  // namespace nolby::test
