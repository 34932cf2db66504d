// The state of one process, gone when it ends.

#include "GatewayState.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

namespace nolby::service {

namespace {

class MemoryState final : public GatewayState {
public:
    void issueChallenge(const std::string& challenge, int64_t now, int64_t lifetime) override {
        std::lock_guard lock(mutex_);
        if (!challenges_.emplace(challenge, now + lifetime).second) return;
        order_.push_back(challenge);
        // The oldest go first; `order_` may still name challenges used since.
        while (order_.size() > kMaxChallenges) {
            challenges_.erase(order_.front());
            order_.pop_front();
        }
    }

    bool useChallenge(const std::string& challenge, int64_t now) override {
        std::lock_guard lock(mutex_);
        auto it = challenges_.find(challenge);
        if (it == challenges_.end()) return false;
        const bool live = it->second > now;
        challenges_.erase(it);
        return live;
    }

    bool takeLesson(const std::string& installation, int64_t day, std::optional<int64_t> limit, int64_t) override {
        std::lock_guard lock(mutex_);
        if (day > purged_) {
            // Past days are over: their counts go.
            std::erase_if(lessons_, [&](const auto& entry) { return entry.first.second < day; });
            purged_ = day;
        }
        int64_t& taken = lessons_[{installation, day}];
        if (limit && taken >= *limit) return false;
        ++taken;
        return true;
    }

    void giveBackLesson(const std::string& installation, int64_t day) override {
        std::lock_guard lock(mutex_);
        auto it = lessons_.find({installation, day});
        if (it != lessons_.end() && it->second > 0) --it->second;
    }

    int64_t epoch() override {
        std::lock_guard lock(mutex_);
        return epoch_;
    }

    void revokeAll() override {
        std::lock_guard lock(mutex_);
        ++epoch_;
    }

    void revoke(const std::string& installation, int64_t now, int64_t until) override {
        std::lock_guard lock(mutex_);
        std::erase_if(revoked_, [&](const auto& entry) { return entry.second <= now; });
        int64_t& kept = revoked_[installation];
        kept = std::max(kept, until);
    }

    bool accepts(const std::string& installation, int64_t epoch, int64_t now) override {
        std::lock_guard lock(mutex_);
        if (epoch < epoch_) return false;
        auto it = revoked_.find(installation);
        return it == revoked_.end() || it->second <= now;
    }

private:
    std::mutex mutex_;
    std::map<std::string, int64_t> challenges_;  // to when each is good
    std::deque<std::string> order_;              // challenges as issued
    std::map<std::pair<std::string, int64_t>, int64_t> lessons_;
    std::map<std::string, int64_t> revoked_;  // installation to when its revocation ends
    int64_t epoch_ = 0;
    int64_t purged_ = INT64_MIN;  // the day before which counts were dropped
};

}  // namespace

std::shared_ptr<GatewayState> memoryState() { return std::make_shared<MemoryState>(); }

}  // namespace nolby::service
