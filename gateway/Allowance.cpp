#include "Allowance.h"

#include <iostream>

namespace nolby::service {

Allowance::Allowance(std::shared_ptr<GatewayState> state, std::optional<int64_t> perDay)
    : state_(std::move(state)), perDay_(perDay) {}

Allowance::Hold::Hold(std::shared_ptr<GatewayState> state, std::string installation, int64_t day)
    : state_(std::move(state)), installation_(std::move(installation)), day_(day) {}

Allowance::Hold::~Hold() {
    if (charged_) return;
    try {
        state_->giveBackLesson(installation_, day_);
    } catch (const StateError& e) {
        // The lesson stays counted: the learner loses one, nobody gains one.
        std::cerr << "nolby-gateway: a lesson could not be given back: " << e.what() << std::endl;
    }
}

// Taken lessons are the spent and the held together, so charging changes no count.
void Allowance::Hold::charge() { charged_ = true; }

std::shared_ptr<Allowance::Hold> Allowance::hold(const std::string& installation, int64_t day, int64_t now) {
    if (!state_->takeLesson(installation, day, perDay_, now)) return nullptr;
    return std::make_shared<Hold>(state_, installation, day);
}

}  // namespace nolby::service
