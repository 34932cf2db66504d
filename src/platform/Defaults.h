#pragma once
// The user's small settings that outlive a run (what the tutor knows about the learner across
// notebooks, the month's spend): one JSON object in a file of the configuration folder, read
// once when the object is made and written whole, atomically, on every change. A file that is
// missing, unreadable or not a JSON object counts as empty; a value of the wrong type reads as
// absent. Main thread only.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace nolby {

class Defaults {
public:
    // The settings kept in `file`.
    explicit Defaults(std::filesystem::path file);
    // This user's settings: "defaults.json" in the configuration folder, made on first use.
    static const std::shared_ptr<Defaults>& standard();

    const std::filesystem::path& file() const { return file_; }

    // A finite number (a Boolean or an integer counts), or none.
    std::optional<double> number(std::string_view key) const;
    // A whole number, or none (a number with a fraction is truncated toward zero).
    std::optional<int64_t> integer(std::string_view key) const;
    std::optional<std::string> string(std::string_view key) const;

    // Each stores the value and writes the file; false when the file could not be written
    // (the value is still kept for this run). A number that is not finite stores nothing.
    bool set(std::string_view key, double value);
    bool set(std::string_view key, int64_t value);
    bool set(std::string_view key, std::string value);
    bool remove(std::string_view key);

private:
    const nlohmann::json* find(std::string_view key) const;
    bool write();

    std::filesystem::path file_;
    nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace nolby
