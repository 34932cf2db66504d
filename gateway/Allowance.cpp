#include "Allowance.h"

namespace nolby::service {

Allowance::Allowance(std::optional<int64_t> perDay) : perDay_(perDay) {}

Allowance::Hold::Hold(std::shared_ptr<Counts> counts, std::pair<std::string, int64_t> key)
    : counts_(std::move(counts)), key_(std::move(key)) {}

Allowance::Hold::~Hold() {
    if (settled_) return;
    std::lock_guard lock(counts_->mutex);
    auto it = counts_->spentAndHeld.find(key_);
    if (it != counts_->spentAndHeld.end() && it->second.second > 0) --it->second.second;
}

void Allowance::Hold::charge() {
    if (settled_) return;
    settled_ = true;
    std::lock_guard lock(counts_->mutex);
    auto& [spent, held] = counts_->spentAndHeld[key_];
    ++spent;
    if (held > 0) --held;
}

std::shared_ptr<Allowance::Hold> Allowance::hold(const std::string& token, int64_t day) {
    std::lock_guard lock(counts_->mutex);
    // Past days are over: their counts go (a hold still out simply finds nothing to return).
    std::erase_if(counts_->spentAndHeld, [&](const auto& entry) { return entry.first.second < day; });
    auto& [spent, held] = counts_->spentAndHeld[{token, day}];
    if (perDay_ && spent + held >= *perDay_) return nullptr;
    ++held;
    return std::make_shared<Hold>(counts_, std::make_pair(token, day));
}

}  // namespace nolby::service
