#pragma once
// The offline demo tutor: with no model to relay to, the gateway answers every tutor
// request itself, deterministically, in the reply line protocol (one JSON object a line).
// It cannot teach a topic for real; it reads the context the app sends (the first turn and
// its question, an answer to its question, a warm-up after time away, Next without new
// writing, a new question) and answers with a small sample lesson that shows how the
// notebook works. Its first two replies use every block kind between them, a plan with
// steps, colour and doodle, steps, a next label, learner notes and a mark with a verdict.

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

namespace nolby::service::DemoTutor {

// What the demo reads from the context text.
struct Context {
    struct Item {
        std::string id;    // "u1"
        bool stroke = false;
        std::string text;  // what they typed or said
        std::optional<std::string> answers;  // the question it answers
    };
    bool firstTurn = false;
    int turn = 1;  // this turn's number, from 1
    std::string title;
    std::optional<std::string> chosen;  // a deep dive's chosen words
    std::vector<std::string> steps;     // the plan
    int step = 1;                       // the current step, from 1
    std::vector<Item> items;            // their new writing
    bool next = false;                  // they tapped Next without writing
    bool warmUp = false;                // asked to open with a warm-up
    std::vector<std::string> review;    // check-ins waiting for one
};

Context read(const std::string& contextText);

// The reply's lines for a context.
std::vector<std::string> lines(const Context& context);

// The reply text (lines, each ending in a line feed) for a "v1/messages" request body; the
// context is its first text block.
std::string reply(const nlohmann::json& body);

}  // namespace nolby::service::DemoTutor
