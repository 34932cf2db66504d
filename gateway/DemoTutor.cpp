#include "DemoTutor.h"

#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace nolby::service::DemoTutor {

namespace {

using json = nlohmann::ordered_json;

constexpr std::string_view kOpen = "“", kClose = "”";

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

bool starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The text between the first opening quote after `from` and the next closing quote.
std::optional<std::string> quoted(std::string_view line, size_t from = 0) {
    size_t a = line.find(kOpen, from);
    if (a == std::string_view::npos) return std::nullopt;
    a += kOpen.size();
    size_t b = line.find(kClose, a);
    if (b == std::string_view::npos) return std::nullopt;
    return std::string(line.substr(a, b - a));
}

int number(std::string_view s) {
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        n = std::min(n * 10 + (c - '0'), 1'000'000);
    }
    return n;
}

// "Plan: 1. Halves ✓  2. Quarters (current)  3. Eighths".
void readPlan(std::string_view line, Context& c) {
    line.remove_prefix(6);
    size_t at = 0;
    while (at < line.size()) {
        size_t end = line.find("  ", at);
        if (end == std::string_view::npos) end = line.size();
        std::string_view entry = line.substr(at, end - at);
        at = end + 2;
        size_t dot = entry.find(". ");
        if (dot == std::string_view::npos) continue;
        std::string_view step = entry.substr(dot + 2);
        if (step.size() >= 10 && step.substr(step.size() - 10) == " (current)") {
            step.remove_suffix(10);
            c.step = static_cast<int>(c.steps.size()) + 1;
        } else if (step.size() >= 4 && step.substr(step.size() - 4) == " ✓") {
            step.remove_suffix(4);
            c.step = std::max(c.step, static_cast<int>(c.steps.size()) + 2);
        }
        c.steps.emplace_back(step);
    }
}

// "  u1 typed at 10,56 on page 1: “text”, their answer to your question “q”".
void readItem(std::string_view line, Context& c) {
    line.remove_prefix(2);
    Context::Item item;
    item.id = std::string(line.substr(0, line.find(' ')));
    std::string_view rest = line.substr(item.id.size());
    if (starts(rest, " a pen stroke")) {
        item.stroke = true;
        c.items.push_back(std::move(item));
        return;
    }
    const size_t open = rest.find(std::string(": ") + std::string(kOpen));
    if (open == std::string_view::npos) return;
    const size_t textAt = open + 2 + kOpen.size();
    static const std::string answerMark = std::string(kClose) + ", their answer to your question " + std::string(kOpen);
    static const std::string aboutMark = std::string(kClose) + ", about ";
    size_t end = rest.find(answerMark, textAt);
    if (end != std::string_view::npos) {
        item.answers = quoted(rest, end + kClose.size());
    } else {
        end = rest.find(aboutMark, textAt);
        if (end == std::string_view::npos) end = rest.rfind(kClose);
    }
    if (end == std::string_view::npos || end < textAt) return;
    item.text = std::string(rest.substr(textAt, end - textAt));
    c.items.push_back(std::move(item));
}

std::string trimmed(std::string s) {
    const char* space = " \t\r\n";
    s.erase(0, std::min(s.find_first_not_of(space), s.size()));
    s.erase(s.find_last_not_of(space) + 1);
    return s;
}

// At most `count` user-perceived characters, cut at a word where one is near.
std::string cut(const std::string& text, size_t count) {
    std::vector<size_t> b = unicode::graphemeBounds(text);
    if (b.size() - 1 <= count) return text;
    std::string head = text.substr(0, b[count]);
    size_t space = head.rfind(' ');
    if (space != std::string::npos && space > head.size() / 2) head.resize(space);
    return head + "…";
}

// A short title from a question: its polite opening and closing mark dropped.
std::string topicOf(const std::string& question) {
    std::string t = trimmed(question);
    while (!t.empty() && (t.back() == '?' || t.back() == '.' || t.back() == '!')) t.pop_back();
    static const char* openings[] = {"can you explain ", "please explain ", "tell me about ", "teach me about ",
                                     "teach me ",        "explain ",        "what is a ",     "what is an ",
                                     "what is ",         "what are ",       "what's ",        "how does ",
                                     "how do ",          "why does ",       "why do ",        "why is "};
    std::string lower = unicode::lowercased(t);
    for (const char* o : openings)
        if (starts(lower, o)) {
            t.erase(0, std::string_view(o).size());
            break;
        }
    t = trimmed(t);
    if (t.empty()) return "A first lesson";
    if (t[0] >= 'a' && t[0] <= 'z') t[0] = static_cast<char>(t[0] - 'a' + 'A');
    return cut(t, 40);
}

// Whether an answer to the demo's own question, ½ + ½, is one whole.
bool saysOne(const std::string& answer) {
    std::string a = unicode::lowercased(answer);
    std::erase(a, ' ');
    for (const char* right : {"one", "whole", "2/2", "\\frac{2}{2}", "1.0", "=1"})
        if (a.find(right) != std::string::npos) return true;
    // A bare 1, not the start of 12, 1/2 or 1.5.
    if (a.empty() || a[0] != '1') return false;
    return a.size() == 1 || std::string_view("0123456789/.,").find(a[1]) == std::string_view::npos;
}

const std::string kAsk = "What is $\\frac{1}{2} + \\frac{1}{2}$?";
const std::vector<std::string> kSteps = {"Say it in your own words", "Work one example", "Check yourself"};

class Writer {
public:
    explicit Writer(const Context& c) : c_(c) {}

    std::vector<std::string> reply() {
        if (c_.firstTurn) first();
        else if (c_.turn <= 2) second();
        else if (c_.warmUp) warmUp();
        else later();
        return std::move(out_);
    }

private:
    void put(json line) { out_.push_back(line.dump(-1, ' ', false, json::error_handler_t::replace)); }

    const Context::Item* answer() const {
        for (const auto& i : c_.items)
            if (i.answers) return &i;
        return nullptr;
    }
    const Context::Item* typed() const {
        for (const auto& i : c_.items)
            if (!i.stroke && !i.answers) return &i;
        return nullptr;
    }

    // The reading, and a mark with a verdict on an answer.
    void readAndMark() {
        if (const Context::Item* a = answer()) {
            put({{"t", "read"}, {"text", a->text}, {"kind", "answer"}});
            const bool demoQuestion = a->answers->find("\\frac{1}{2} + \\frac{1}{2}") != std::string::npos;
            const bool right = demoQuestion ? saysOne(a->text) : unicode::graphemeCount(trimmed(a->text)) >= 3;
            const std::string verdict = right ? "right" : demoQuestion ? "wrong" : "partly";
            put({{"t", "mark"},
                 {"on", a->id},
                 {"kind", right ? "tick" : "wavy"},
                 {"c", right ? "green" : "orange"},
                 {"note", right ? "yes!" : "not quite"},
                 {"v", verdict}});
            right_ = right;
            answered_ = true;
        } else if (const Context::Item* t = typed()) {
            put({{"t", "read"}, {"text", t->text}, {"kind", "question"}});
        } else if (!c_.items.empty()) {
            put({{"t", "read"}, {"text", "a drawing"}, {"kind", "sketch"}});
        } else {
            put({{"t", "read"}, {"text", ""}, {"kind", "next"}});
        }
    }

    void first() {
        std::string question;
        if (const Context::Item* t = typed()) question = t->text;
        const std::string topic = c_.chosen ? topicOf(*c_.chosen) : topicOf(question);
        put({{"t", "read"}, {"text", c_.chosen ? *c_.chosen : question}, {"kind", c_.chosen ? "dive" : "question"}});
        put({{"t", "plan"},
             {"topic", topic},
             {"steps", kSteps},
             {"color", "teal"},
             {"art", "a desk lamp over an open notebook, soft watercolour"},
             {"doodle",
              {{{"k", "doodle"}, {"name", "bulb"}, {"x", 50}, {"y", 52}, {"s", 44}, {"c", "teal"}},
               {{"k", "doodle"}, {"name", "spark"}, {"x", 80}, {"y", 24}, {"s", 16}, {"c", "orange"}}}}});
        put({{"t", "step"}, {"n", 1}});
        put({{"t", "h"}, {"text", topic}});
        put({{"t", "p"},
             {"text", "I'm the **offline demo tutor**: I can't look anything up, but I can show you how a lesson on "
                      "((" + cut(topic, 24) + ")) unfolds, one step at a time."}});
        put({{"t", "list"}, {"items", {"Say the idea in your own words", "Work one small example by hand",
                                       "Check yourself with a question"}}});
        put({{"t", "p"}, {"text", "Here is a small example to work: adding a half and a quarter."}});
        put({{"t", "math"}, {"tex", "\\note{teal}{a half}{\\frac{1}{2}} + \\note{orange}{a quarter}{\\frac{1}{4}} = \\frac{3}{4}"}});
        put({{"t", "fig"},
             {"h", 34},
             {"items",
              {{{"k", "pie"}, {"x", 28}, {"y", 15}, {"r", 12}, {"n", 4}, {"fill", {0, 1}}, {"fc", "teal"}, {"text", "a half"}},
               {{"k", "text"}, {"text", "+"}, {"x", 50}, {"y", 17}, {"align", "c"}, {"size", 1.6}},
               {{"k", "pie"}, {"x", 72}, {"y", 15}, {"r", 12}, {"n", 4}, {"fill", {2}}, {"fc", "orange"}, {"text", "a quarter"}}}},
             {"caption", "Shaded parts add up: three of the four quarters."}});
        put({{"t", "ask"}, {"text", kAsk}, {"space", 12}});
        put({{"t", "next"}, {"label", "Check my answer"}});
        put({{"t", "learner"},
             {"notes", "Started a lesson on " + cut(topic, 60) + ". Pace not known yet."},
             {"pace", 3},
             {"about", "Curious about " + cut(topic, 60) + "."}});
    }

    void second() {
        readAndMark();
        put({{"t", "step"}, {"n", 2}});
        if (answered_)
            put({{"t", "p"}, {"text", right_ ? "Exactly: two halves make **one whole**."
                                             : "Not quite: two halves make **one whole**, $\\frac{2}{2} = 1$."}});
        else
            put({{"t", "p"}, {"text", "Let's carry on with the example, then you can try one."}});
        put({{"t", "quote"}, {"text", "What I cannot create, I do not understand."}, {"by", "Richard Feynman"}});
        put({{"t", "note"}, {"text", "Tip: say the rule out loud, then __use it once__ on paper."}, {"c", "yellow"}});
        put({{"t", "code"},
             {"lines", {">>> from fractions import Fraction", ">>> Fraction(1, 2) + Fraction(1, 4)", "Fraction(3, 4)"}}});
        put({{"t", "aside"}, {"text", "Python's fractions stay exact: no rounding on the way."}});
        put({{"t", "sketch"},
             {"prompt", "a pie cut into four slices on a kitchen table, three slices left, soft watercolour"},
             {"h", 40},
             {"caption", "Three quarters of a pie"}});
        put({{"t", "next"}, {"label", "Next step"}});
    }

    void warmUp() {
        put({{"t", "read"}, {"text", ""}, {"kind", "return"}});
        put({{"t", "p"}, {"text", "Welcome back! A quick warm-up before we go on."}});
        const std::string idea = c_.review.empty() ? "halves and quarters" : cut(c_.review.back(), 80);
        put({{"t", "ask"}, {"text", "Warm-up on " + idea + ": what is $\\frac{1}{4} + \\frac{1}{4}$?"}, {"space", 10}});
        put({{"t", "next"}, {"label", "Check my warm-up"}});
    }

    void later() {
        readAndMark();
        const int total = static_cast<int>(c_.steps.empty() ? kSteps.size() : c_.steps.size());
        if (answered_) {
            put({{"t", "p"}, {"text", right_ ? "Well done, that's it." : "Nearly: look at the shaded parts again."}});
        } else if (const Context::Item* t = typed()) {
            put({{"t", "p"},
                 {"text", "Good question. Offline I can't answer “" + cut(t->text, 60) +
                              "” for real, but with a key the gateway hands it to the tutor."}});
            put({{"t", "aside"}, {"text", "Set ANTHROPIC_API_KEY before starting nolby-gateway."}});
            put({{"t", "next"}, {"label", "Carry on"}});
            return;
        }
        const int step = c_.step + 1;
        if (step > total) {
            put({{"t", "p"}, {"text", "That's the whole plan. Ask me anything about it on the page."}});
            put({{"t", "next"}, {"label", "Ask a question"}});
            return;
        }
        const std::string name = c_.steps.empty() ? kSteps[static_cast<size_t>(step - 1)]
                                                  : c_.steps[static_cast<size_t>(step - 1)];
        put({{"t", "step"}, {"n", step}});
        put({{"t", "h"}, {"text", "Step " + std::to_string(step) + ": " + name}});
        put({{"t", "ask"}, {"text", kAsk}, {"space", 10}});
        put({{"t", "next"}, {"label", step == total ? "Finish" : "Next step"}});
    }

    const Context& c_;
    std::vector<std::string> out_;
    bool answered_ = false;
    bool right_ = false;
};

}  // namespace

Context read(const std::string& text) {
    Context c;
    static const std::string dive = "they chose " + std::string(kOpen);
    for (std::string_view line : splitLines(text)) {
        if (starts(line, "This is the FIRST turn")) c.firstTurn = true;
        else if (starts(line, "It is a DEEP DIVE:")) c.chosen = quoted(line, line.find(dive));
        else if (starts(line, "Notebook: ")) {
            c.title = quoted(line).value_or("");
            size_t at = line.find(", turn ");
            if (at != std::string_view::npos) c.turn = std::max(number(line.substr(at + 7)), 1);
        } else if (starts(line, "Plan: ")) readPlan(line, c);
        else if (starts(line, "  u")) readItem(line, c);
        else if (starts(line, "No new writing:")) c.next = true;
        else if (starts(line, "Warm up first:")) c.warmUp = true;
        else if (starts(line, "Check-ins they missed")) {
            for (size_t at = 0; (at = line.find(" " + std::string(kOpen), at)) != std::string_view::npos; ++at)
                if (std::optional<std::string> q = quoted(line, at)) c.review.push_back(*q);
        }
    }
    return c;
}

std::vector<std::string> lines(const Context& context) { return Writer(context).reply(); }

namespace {

// The first text block of the request's messages: the context the app wrote.
std::string contextText(const nlohmann::json& body) {
    if (!body.is_object() || !body.contains("messages") || !body["messages"].is_array()) return {};
    for (const nlohmann::json& m : body["messages"]) {
        if (!m.is_object() || !m.contains("content") || !m["content"].is_array()) continue;
        for (const nlohmann::json& block : m["content"])
            if (block.is_object() && block.value("type", nlohmann::json()) == "text" && block.contains("text") &&
                block["text"].is_string())
                return block["text"].get<std::string>();
    }
    return {};
}

}  // namespace

std::string reply(const nlohmann::json& body) {
    const std::string text = contextText(body);
    Context context = read(text);
    // A request without the app's context (a hand-made one) gets the opening lesson.
    if (text.empty()) context.firstTurn = true;
    std::string out;
    for (const std::string& line : lines(context)) out += line + "\n";
    return out;
}

}  // namespace nolby::service::DemoTutor
