#pragma once
// The private state of one turn of a TutorSession: the turn state the model sees, and what
// the driver and the reply side keep while it runs. Shared by the session's source files.

#include "tutor/TutorSession.h"

#include <deque>
#include <string>

namespace nolby {

struct TutorSession::Run final : TurnState {
    uint64_t task = 0;   // the ask() it was started for
    Ids ids;             // the new-item table
    bool firstTurn = false;
    bool insert = false;                 // answered just below the new writing
    std::optional<std::string> answered;  // the question the new writing answers
    std::string buffer;                  // reply text after its last line feed
    std::deque<std::string> lines;       // complete lines not yet taken
    bool received = false;               // the reply has arrived in full
    bool busy = false;                   // a block is being laid out and placed
    bool over = false;                   // recorded, failed or cancelled
    std::shared_ptr<Gateway::Call> call;  // the reply's stream while it comes
};

}  // namespace nolby
