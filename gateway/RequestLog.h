#pragma once
// The log of requests that tests read through "_control/log": the latest requests, each
// with its path, header fields, body and how it was answered, filled in as the answer is
// decided and sent. It stays small however hard the service is used: it keeps the last
// `capacity` entries, and bodies go in cut to a budget of bytes.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace nolby::service {

class RequestLog {
public:
    using json = nlohmann::json;

    explicit RequestLog(size_t capacity = 200);

    // Adds an entry; its id finds it while it is kept.
    uint64_t add(json entry);
    // Sets a field of an entry, if the entry is still kept.
    void note(uint64_t id, const char* key, json value);
    // The kept entries as one JSON array, oldest first. The entries are copied under the
    // lock and serialised after it, so a long log never holds up the requests being logged.
    std::string dump() const;

private:
    mutable std::mutex mutex_;
    std::deque<json> entries_;
    uint64_t first_ = 0;  // the id of entries_.front()
    size_t capacity_;
};

// A request body for the log, in about `budget` bytes of JSON text: image data as the PNG's
// width and height, long strings cut (at whole UTF-8 characters), arrays and objects ended
// early once the budget is spent. `cut` is set when anything was left out.
nlohmann::json loggable(const nlohmann::json& body, size_t budget, bool& cut);

}  // namespace nolby::service
