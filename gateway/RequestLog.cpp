#include "RequestLog.h"

#include "tutor/Base64.h"

#include <algorithm>
#include <optional>

namespace nolby::service {

namespace {

// The PNG's width and height from the start of its bytes, or none.
std::optional<std::pair<uint32_t, uint32_t>> pngSize(const std::string& bytes) {
    static constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || bytes.compare(0, 8, reinterpret_cast<const char*>(signature), 8) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
        return v;
    };
    return std::make_pair(be32(16), be32(20));
}

// Spends `cost` of the budget; false (and the budget gone) when it was not there.
bool spend(size_t& budget, size_t cost) {
    if (cost > budget) {
        budget = 0;
        return false;
    }
    budget -= cost;
    return true;
}

nlohmann::json clip(const nlohmann::json& value, size_t& budget, bool& cut) {
    using json = nlohmann::json;
    if (value.is_string()) {
        const std::string& s = value.get_ref<const std::string&>();
        if (s.size() + 2 <= budget) {
            budget -= s.size() + 2;
            return s;
        }
        // What is left of the budget, backed off to a whole character.
        size_t keep = std::min(s.size(), budget > 2 ? budget - 2 : 0);
        while (keep > 0 && (static_cast<unsigned char>(s[keep]) & 0xC0) == 0x80) --keep;
        budget = 0;
        cut = true;
        return s.substr(0, keep);
    }
    if (value.is_array()) {
        json out = json::array();
        for (const json& e : value) {
            if (!spend(budget, 1)) {
                cut = true;
                break;
            }
            out.push_back(clip(e, budget, cut));
        }
        return out;
    }
    if (value.is_object()) {
        json out = json::object();
        // A picture sent as Base64 is logged as its size: the first 32 characters hold the
        // PNG's signature and header.
        const bool image = value.contains("type") && value["type"] == "base64" && value.contains("data") &&
                           value["data"].is_string();
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!spend(budget, it.key().size() + 4)) {
                cut = true;
                break;
            }
            if (image && it.key() == "data") {
                const std::string& data = it.value().get_ref<const std::string&>();
                std::optional<std::string> head = Base64::decode(data.substr(0, 32));
                std::optional<std::pair<uint32_t, uint32_t>> size = head ? pngSize(*head) : std::nullopt;
                out["data"] = size ? json{{"png", {size->first, size->second}}} : json{{"png", nullptr}};
                spend(budget, 24);
            } else {
                out[it.key()] = clip(it.value(), budget, cut);
            }
        }
        return out;
    }
    spend(budget, value.dump().size());
    return value;
}

}  // namespace

RequestLog::RequestLog(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {}

uint64_t RequestLog::add(json entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
    while (entries_.size() > capacity_) {
        entries_.pop_front();
        ++first_;
    }
    return first_ + entries_.size() - 1;
}

void RequestLog::note(uint64_t id, const char* key, json value) {
    std::lock_guard lock(mutex_);
    if (id < first_ || id - first_ >= entries_.size()) return;
    entries_[id - first_][key] = std::move(value);
}

std::string RequestLog::dump() const {
    json all = json::array();
    {
        std::lock_guard lock(mutex_);
        for (const json& e : entries_) all.push_back(e);
    }
    return all.dump(-1, ' ', false, json::error_handler_t::replace);
}

nlohmann::json loggable(const nlohmann::json& body, size_t budget, bool& cut) { return clip(body, budget, cut); }

}  // namespace nolby::service
