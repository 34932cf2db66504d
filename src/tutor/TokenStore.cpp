#include "tutor/TokenStore.h"

#include "platform/AtomicFile.h"
#include "platform/ConfigFolder.h"
#include "platform/Unicode.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace nolby {

namespace {

// Private folders: made 0700, and tightened to 0700 when they already exist.
bool makePrivate(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) return false;
    return ::chmod(folder.c_str(), 0700) == 0;
}

std::optional<std::string> load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.empty()) return std::nullopt;
    // Well-formed UTF-8 is exactly the text that survives decoding and encoding unchanged.
    if (unicode::toUtf8(unicode::toUtf32(bytes)) != bytes) return std::nullopt;
    return bytes;
}

}  // namespace

TokenStore::TokenStore(std::filesystem::path folder) : file_(std::move(folder) / service / account) {}

std::shared_ptr<TokenStore> TokenStore::user() { return std::make_shared<TokenStore>(Platform::configFolder()); }

std::optional<std::string> TokenStore::read() const {
    std::lock_guard lock(mutex_);
    return load(file_);
}

bool TokenStore::write(const std::string& token) {
    std::lock_guard lock(mutex_);
    const std::filesystem::path folder = file_.parent_path();
    if (!makePrivate(folder.parent_path()) || !makePrivate(folder)) return false;
    return AtomicFile::write(file_, token, 0600);
}

bool TokenStore::eraseIf(const std::string& token) {
    std::lock_guard lock(mutex_);
    if (load(file_) != token) return false;
    std::error_code ec;
    return std::filesystem::remove(file_, ec);
}

void TokenStore::erase() {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

}  // namespace nolby
