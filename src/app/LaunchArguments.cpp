#include "app/LaunchArguments.h"

#include "model/NotebookModel.h"
#include "platform/NumberText.h"
#include "tutor/Gateway.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace nolby {

namespace {

// Every switch the app reads, so that "--learn" followed by one of them has no topic.
constexpr std::array<std::string_view, 18> switches = {
    "-appearance", "-open", "-page", "-speed", "-stall", "-replay", "-write", "-writeAt", "-about",
    "-ask",        "-leaf", "-curl", "-quit-after-shelf", "-hitchlog", "-caret", "-warmup", "--learn",
    "-gateway-at"};

bool isSwitch(std::string_view arg) {
    return std::find(switches.begin(), switches.end(), arg) != switches.end();
}

std::optional<double> finite(std::string_view text) {
    auto v = NumberText::parseDouble(text);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

}  // namespace

std::optional<std::string> LaunchArguments::value(const std::vector<std::string>& args, std::string_view key) {
    for (size_t i = 1; i < args.size(); ++i)
        if (args[i] == key) return i + 1 < args.size() ? std::optional(args[i + 1]) : std::nullopt;
    return std::nullopt;
}

bool LaunchArguments::flag(const std::vector<std::string>& args, std::string_view name) {
    return args.size() > 1 && std::find(args.begin() + 1, args.end(), name) != args.end();
}

std::optional<int> LaunchArguments::parsePage(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int n = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;  // too large
    return negative ? -n : n;
}

std::optional<double> LaunchArguments::parseSpeed(std::string_view text) {
    // A speed of 0, below 0 or not a number would stop the writer or run it backwards.
    auto v = finite(text);
    return v && *v > 0 ? v : std::nullopt;
}

std::optional<double> LaunchArguments::parseStall(std::string_view text) {
    auto v = finite(text);
    return v && *v > 0 ? v : std::nullopt;
}

std::optional<Point> LaunchArguments::parseWriteAt(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (true) {
        const size_t comma = text.find(',');
        const auto piece = text.substr(0, comma);
        if (!piece.empty()) pieces.push_back(piece);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (pieces.size() != 2) return std::nullopt;
    auto x = finite(pieces[0]), y = finite(pieces[1]);
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

std::optional<double> LaunchArguments::parseProgress(std::string_view text) {
    // A page turn has no state outside 0…1: hold the progress to it.
    auto v = finite(text);
    if (!v) return std::nullopt;
    return std::clamp(*v, 0.0, 1.0);
}

std::string LaunchArguments::noteText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out.push_back('\n');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

LaunchArguments LaunchArguments::parse(const std::vector<std::string>& args) {
    LaunchArguments a;
    auto keyed = [&](std::string_view key) { return value(args, key); };

    if (auto v = keyed("-appearance")) a.appearance = *v == "light" ? Appearance::light : Appearance::dark;
    a.open = keyed("-open");
    if (auto v = keyed("-page")) a.page = parsePage(*v);
    if (auto v = keyed("-speed")) a.speed = parseSpeed(*v);
    if (auto v = keyed("-stall")) a.stall = parseStall(*v);
    a.replay = flag(args, "-replay");
    if (auto v = keyed("-write")) a.write = noteText(*v);
    if (auto v = keyed("-writeAt")) a.writeAt = parseWriteAt(*v);
    a.about = keyed("-about");
    a.ask = flag(args, "-ask");
    if (auto v = keyed("-leaf")) a.leaf = parseProgress(*v);
    if (auto v = keyed("-curl")) a.curl = parseProgress(*v);
    a.quitAfterShelf = flag(args, "-quit-after-shelf");
    a.warmup = flag(args, "-warmup");
    if (auto v = keyed("-gateway-at")) a.gatewayAt = Gateway::baseFrom(*v);

    if (flag(args, "--learn")) {
        a.learn = Learn{};
        auto topic = keyed("--learn");
        if (topic && !isSwitch(*topic)) a.learn->topic = NotebookModel::trimmed(*topic);
    }
    return a;
}

LaunchArguments LaunchArguments::parse(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        if (argv && argv[i]) args.emplace_back(argv[i]);
    return parse(args);
}

}  // namespace nolby
