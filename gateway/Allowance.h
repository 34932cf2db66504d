#pragma once
// The daily allowance: how many lessons each installation may have per UTC day. A lesson
// is held while its reply is being decided and charged only once the reply starts
// streaming, so a lesson that never arrived (the model failed, a fault answered) costs
// nothing. Holds count against the allowance, so lessons asked for at once, on this
// gateway or any other sharing its state, cannot overdraw it. This is the one place
// lessons are counted; the counts live in the gateway's state.

#include "GatewayState.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nolby::service {

class Allowance {
public:
    // None: no limit (lessons are still held and charged, and never refused).
    Allowance(std::shared_ptr<GatewayState> state, std::optional<int64_t> perDay);

    class Hold {
    public:
        Hold(std::shared_ptr<GatewayState> state, std::string installation, int64_t day);
        ~Hold();  // gives the lesson back unless it was charged
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        // The reply is streaming: the lesson is spent. Once; later calls do nothing.
        void charge();

    private:
        std::shared_ptr<GatewayState> state_;
        std::string installation_;
        int64_t day_;
        bool charged_ = false;
    };

    // A hold on one of the lessons of `installation` on `day` (days since 1970, UTC); none
    // when they are all spent or held. `now` is the time in seconds since 1970. Throws
    // StateError when the state cannot be reached.
    std::shared_ptr<Hold> hold(const std::string& installation, int64_t day, int64_t now);

private:
    std::shared_ptr<GatewayState> state_;
    std::optional<int64_t> perDay_;
};

}  // namespace nolby::service
