#pragma once
// The daily allowance: how many lessons each session token may have per UTC day. A lesson
// is held while its reply is being decided and charged only once the reply starts
// streaming, so a lesson that never arrived (the model failed, a fault answered) costs
// nothing. Holds count against the allowance, so lessons asked for at once cannot
// overdraw it. This is the one place lessons are counted.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace nolby::service {

class Allowance {
    struct Counts;

public:
    // None: no limit (lessons are still held and charged, and never refused).
    explicit Allowance(std::optional<int64_t> perDay);

    class Hold {
    public:
        Hold(std::shared_ptr<Counts> counts, std::pair<std::string, int64_t> key);
        ~Hold();  // gives the lesson back unless it was charged
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        // The reply is streaming: the lesson is spent. Once; later calls do nothing.
        void charge();

    private:
        std::shared_ptr<Counts> counts_;
        std::pair<std::string, int64_t> key_;
        bool settled_ = false;
    };

    // A hold on one of the lessons of `token` on `day` (days since 1970, UTC); none when
    // they are all spent or held.
    std::shared_ptr<Hold> hold(const std::string& token, int64_t day);

private:
    struct Counts {
        std::mutex mutex;
        std::map<std::pair<std::string, int64_t>, std::pair<int64_t, int64_t>> spentAndHeld;
    };
    std::optional<int64_t> perDay_;
    std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
};

}  // namespace nolby::service
