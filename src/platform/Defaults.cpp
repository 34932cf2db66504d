#include "platform/Defaults.h"

#include "platform/AtomicFile.h"
#include "platform/ConfigFolder.h"
#include "platform/Files.h"

#include <cmath>
#include <limits>

namespace nolby {

Defaults::Defaults(std::filesystem::path file) : file_(std::move(file)) {
    std::optional<std::string> bytes = Files::read(file_);
    if (!bytes) return;
    nlohmann::json parsed = nlohmann::json::parse(*bytes, nullptr, false);
    if (parsed.is_object()) values_ = std::move(parsed);
}

const std::shared_ptr<Defaults>& Defaults::standard() {
    static const std::shared_ptr<Defaults> defaults =
        std::make_shared<Defaults>(Platform::configFolder() / "defaults.json");
    return defaults;
}

const nlohmann::json* Defaults::find(std::string_view key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &*it;
}

std::optional<double> Defaults::number(std::string_view key) const {
    const nlohmann::json* v = find(key);
    if (!v) return std::nullopt;
    if (v->is_boolean()) return v->get<bool>() ? 1.0 : 0.0;
    if (!v->is_number()) return std::nullopt;
    const double d = v->get<double>();
    return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

std::optional<int64_t> Defaults::integer(std::string_view key) const {
    const nlohmann::json* v = find(key);
    if (v && v->is_number_integer()) return v->get<int64_t>();
    std::optional<double> d = number(key);
    // Beyond the range of an integer a stored number is not a count.
    constexpr double limit = 9.2e18;
    if (!d || !(std::fabs(*d) < limit)) return std::nullopt;
    return static_cast<int64_t>(std::trunc(*d));
}

std::optional<std::string> Defaults::string(std::string_view key) const {
    const nlohmann::json* v = find(key);
    if (!v || !v->is_string()) return std::nullopt;
    return v->get<std::string>();
}

bool Defaults::set(std::string_view key, double value) {
    if (!std::isfinite(value)) return false;
    values_[std::string(key)] = value;
    return write();
}

bool Defaults::set(std::string_view key, int64_t value) {
    values_[std::string(key)] = value;
    return write();
}

bool Defaults::set(std::string_view key, std::string value) {
    values_[std::string(key)] = std::move(value);
    return write();
}

bool Defaults::remove(std::string_view key) {
    values_.erase(std::string(key));
    return write();
}

bool Defaults::write() {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    // Texts are kept as they are; invalid UTF-8 becomes U+FFFD rather than losing the file.
    const std::string text = values_.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
    return AtomicFile::write(file_, text, 0600);
}

}  // namespace nolby
