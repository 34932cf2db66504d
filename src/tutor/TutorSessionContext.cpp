// What the tutor is told with every request: where the lesson stands, what the learner has
// written since the last reply and where, where the reply goes and how much room it has;
// and the pictures of the page and of the new pen strokes.
#include "tutor/TutorSession.h"

#include "ink/J.h"
#include "platform/Unicode.h"
#include "tutor/Base64.h"
#include "tutor/Snapshot.h"

#include <unicode/coll.h>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace nolby {

namespace {

constexpr std::string_view kOpen = "“", kClose = "”";

std::string inQuotes(std::string_view s) { return std::string(kOpen) + std::string(s) + std::string(kClose); }

// A measure in whole units, truncated toward zero (and never "-0").
std::string units(double v) {
    if (!std::isfinite(v)) return "0";
    return std::to_string(static_cast<long long>(std::trunc(v)));
}

// The keys in the user's order for text, numbers inside them by value: u2 before u10.
std::vector<std::string> sortedKeys(const TutorSession::Ids& ids) {
    std::vector<std::string> keys;
    for (const auto& [key, _] : ids) keys.push_back(key);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale::getDefault(), status));
    if (collator && U_SUCCESS(status)) collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    if (!collator || U_FAILURE(status)) {
        // Without a collator: the same order for our own keys, letters then the number.
        std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        return keys;
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const std::string& a, const std::string& b) {
        UErrorCode s = U_ZERO_ERROR;
        return collator->compareUTF8(a, b, s) == UCOL_LESS;
    });
    return keys;
}

std::string planLine(const Notebook& n) {
    if (!n.plan) return {};
    std::optional<J> plan = J::parse(*n.plan);
    if (!plan) return {};
    const std::vector<std::string> steps = plan->strs("steps");
    if (steps.empty()) return {};
    std::string line = "Plan: ";
    for (size_t i = 0; i < steps.size(); ++i) {
        const int64_t number = static_cast<int64_t>(i) + 1;
        if (i) line += "  ";
        line += std::to_string(number) + ". " + steps[i];
        if (number == n.step) line += " (current)";
        else if (number < n.step) line += " ✓";
    }
    return line + "\n";
}

// The weekday-and-hour format of a locale. Making it reads the locale's calendar data and
// costs milliseconds, and every turn asks for it: each thread keeps the last locale's.
icu::SimpleDateFormat* hourFormat(const icu::Locale& locale) {
    thread_local std::string keptLocale;
    thread_local std::unique_ptr<icu::SimpleDateFormat> kept;
    if (kept && keptLocale == locale.getName()) return kept.get();
    kept.reset();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(icu::DateTimePatternGenerator::createInstance(locale, status));
    if (!generator || U_FAILURE(status)) return nullptr;
    const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString("EEEEj"), status);
    if (U_FAILURE(status)) return nullptr;
    auto format = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
    if (U_FAILURE(status)) return nullptr;
    keptLocale = locale.getName();
    kept = std::move(format);
    return kept.get();
}

}  // namespace

std::string TutorSession::timeOfDay(Date date) {
    icu::SimpleDateFormat* format = hourFormat(icu::Locale::getDefault());
    if (!format) return {};
    // The user's time zone as it is now, not as it was when the format was made.
    format->adoptTimeZone(icu::TimeZone::createDefault());
    icu::UnicodeString text;
    format->format((referenceSeconds(date) + ReferenceClock::unixOffset) * 1000.0, text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::optional<std::string> TutorSession::question(Rect answeredBy, int page) {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model || page < 0 || page >= static_cast<int>(model->nb->pages.size()) || answeredBy.isNull()) return std::nullopt;
    const Geo geo = model->geo();
    for (const PageItem& item : model->nb->pages[page].items) {
        const BlockItem* block = item.block();
        if (!block) continue;
        const std::optional<Rect> room = NotebookModel::room(*block, geo);
        if (!room) continue;
        const Rect near{room->minX(), room->minY() - 6, room->width(), room->height() + 12};
        if (near.intersects(answeredBy)) return J::parse(block->json).value_or(J()).str("text", "");
    }
    return std::nullopt;
}

std::string TutorSession::contextText(const std::vector<Notebook::Unread>& fresh, const Ids& ids, int page,
                                      bool firstTurn, double room, bool inside) {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return {};
    NotebookModel& m = *model;
    const Notebook& n = m.nb.get();
    const Date when = now();
    std::string text;

    // 1. Where the lesson stands.
    if (firstTurn) {
        text += "This is the FIRST turn of a new notebook: send a plan.\n";
        if (n.parent && n.from) {
            std::string parent = "their lesson";
            if (services_.library)
                if (std::optional<NotebookHead> p = services_.library->head(*n.parent))
                    parent = p->title.empty() ? "Untitled" : p->title;
            text += "It is a DEEP DIVE: in their notebook " + inQuotes(parent) + " they chose " + inQuotes(*n.from);
            if (n.passage && !n.passage->empty())
                text += " in this passage of yours: " + inQuotes(unicode::prefix(*n.passage, 600));
            text += ", and asked to go deeper. Teach that one thing in depth: what it really is, how it works "
                    "inside, and why it matters where it came up, with pictures. Assume what the passage already "
                    "said; don't re-teach the lesson around it. Keep the plan to 2–4 steps, and name the notebook "
                    "for the thing itself.\n";
        }
    } else {
        text += "Notebook: " + inQuotes(n.title.empty() ? "Untitled" : n.title) + ", turn " +
                std::to_string(n.turns.size() + 1) + ".\n";
        text += planLine(n);
    }

    // 2, 3. What the tutor knows of the learner.
    if (!n.learner.empty())
        text += "Your notes on this learner (pace " + std::to_string(n.pace) + "): " + n.learner + "\n";
    if (services_.defaults)
        if (std::optional<std::string> about = services_.defaults->string("learner-about"); about && !about->empty())
            text += "About the learner, from all their notebooks: " + *about + "\n";

    // 4. The turns so far, time away and the ideas waiting for a warm-up.
    if (!n.turns.empty()) {
        text += "\nThe notebook so far (oldest first):\n";
        const size_t from = n.turns.size() > 10 ? n.turns.size() - 10 : 0;
        for (size_t i = from; i < n.turns.size(); ++i) {
            const Turn& t = n.turns[i];
            text += "- they wrote " + inQuotes(t.read) + " (" + t.kind + "); you wrote: " + unicode::prefix(t.reply, 300) + "\n";
        }
        const double away = (referenceSeconds(when) - referenceSeconds(n.turns.back().at)) / 60;
        const int64_t minutes = std::isfinite(away) ? static_cast<int64_t>(std::trunc(away)) : 0;
        if (minutes >= 30)
            text += "(They're back after " +
                    (minutes < 120 ? std::to_string(minutes) + " minutes" : std::to_string(minutes / 60) + " hours") +
                    ".)\n";
        if (n.review && !n.review->empty()) {
            text += "Check-ins they missed or skipped before, waiting for a warm-up: ";
            for (size_t i = 0; i < n.review->size(); ++i)
                text += (i ? "; " : "") + ("r" + std::to_string(i + 1) + " " + inQuotes((*n.review)[i]));
            text += "\n";
            if ((minutes >= 30 || services_.warmup) && fresh.empty())
                text += "Warm up first: they're back, so open this turn with a friendly line and one quick `ask` on "
                        "one of those ideas (a fresh way to check it), and stop there.\n";
        }
    }

    // 5. The page.
    if (m.scroll.get()) text += "\n";
    else text += "\nThey're on page " + std::to_string(page + 1) + " of " + std::to_string(n.pages.size()) + ".\n";

    // 6. What they wrote since the last reply, and where.
    if (fresh.empty()) {
        text += m.openAsk() ? "No new writing: they tapped Next without answering your question. Carry on (don't ask "
                              "it again).\n"
                            : "No new writing: they tapped Next to carry on.\n";
    } else {
        text += "Their new writing since your last reply:\n";
        const double u = (n.pageW - 48) / 100;
        for (const std::string& key : sortedKeys(ids)) {
            const Notebook::Unread& entry = ids.at(key);
            const int p = static_cast<int>(entry.page);
            const Rect b = m.bounds(entry.item);
            // Writing without ink has no position: only its page is said.
            const std::string position = b.isNull() ? "on page " + std::to_string(p + 1)
                                                    : "at " + units((b.minX() - 24) / u) + "," + units(b.minY() / u) +
                                                          " on page " + std::to_string(p + 1);
            if (const TextItem* t = entry.item.text()) {
                text += "  " + key + " " + (t->spoken ? "said" : "typed") + " " + position + ": " + inQuotes(t->text);
                if (t->about) {
                    text += t->about->empty() ? ", about the part of your picture they circled just above it"
                                              : ", about " + inQuotes(*t->about) + ", a word of yours they circled just above it";
                } else if (std::optional<std::string> q = question(b, p)) {
                    text += ", their answer to your question " + inQuotes(*q);
                    if (n.misses && *n.misses >= 1)
                        text += " (their second try: if it's still not right, walk them through the answer and move "
                                "on; don't ask again)";
                }
                text += "\n";
            } else if (const StrokeItem* s = entry.item.stroke()) {
                const std::string size = b.isNull() ? "0×0" : units(b.width() / u) + "×" + units(b.height() / u);
                text += "  " + key + " a pen stroke " + position + ", " + size + " units" +
                        (s->tool == "marker" ? " (highlighter)" : "") + " — see `new`\n";
            }
        }
    }

    // 7. Where the reply goes.
    const bool scroll = m.scroll.get();
    if (inside && scroll) {
        text += "Their writing sits in the middle of the sheet, under what they asked about. Your reply is written "
                "straight under it and everything after moves down to make room. Answer it in about a screen or "
                "less, with a picture if it helps; the lesson picks up again after it, so don't re-teach what "
                "follows.\n";
    } else if (inside) {
        text += "Their writing sits in the middle of the page, under what they asked about. Your reply is written "
                "straight under it and the rest of the page moves down to make room (what no longer fits goes "
                "overleaf). Answer it in about half a page or less, with a small picture if it helps; the lesson "
                "picks up again after it, so don't re-teach what follows.\n";
    } else if (scroll) {
        text += "Your reply starts just below their writing, at the end of the sheet.\n";
    } else {
        const double area = std::max(n.pageH - m.topMargin() - m.bottomMargin(), 1.0);
        // A writing position already past the bottom line has no room at all, not less.
        const double share = std::max(room, 0.0) / area * 100;
        text += "Your reply starts just below their writing, with about " + units(std::round(share)) +
                "% of a page free there, and runs on overleaf if it needs more.\n";
    }

    // 8, 9. The time of day and the mode.
    text += "Time: " + timeOfDay(when) + "\n";
    text += "Mode: " + n.mode + "\n";
    return text;
}

namespace {

nlohmann::json imageBlock(const std::vector<uint8_t>& png) {
    return {{"type", "image"},
            {"source",
             {{"type", "base64"},
              {"media_type", "image/png"},
              {"data", Base64::encode(std::string_view(reinterpret_cast<const char*>(png.data()), png.size()))}}}};
}

}  // namespace

nlohmann::json TutorSession::context(const std::vector<Notebook::Unread>& fresh, const Ids& ids, int page,
                                     bool firstTurn, double room, bool inside) {
    nlohmann::json content = nlohmann::json::array();
    content.push_back({{"type", "text"}, {"text", contextText(fresh, ids, page, firstTurn, room, inside)}});
    if (!services_.pictures) return content;
    content.push_back({{"type", "text"}, {"text", "page:"}});
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return content;
    if (std::optional<Snapshot::Png> png = Snapshot::page(*model, page, 1.6)) content.push_back(imageBlock(*png));
    std::vector<Notebook::Unread> strokes;
    for (const Notebook::Unread& u : fresh)
        if (u.item.stroke()) strokes.push_back(u);
    if (!strokes.empty())
        if (std::optional<Snapshot::Png> png = Snapshot::newInk(*model, strokes, 3)) {
            content.push_back({{"type", "text"}, {"text", "new:"}});
            content.push_back(imageBlock(*png));
        }
    return content;
}

}  // namespace nolby
