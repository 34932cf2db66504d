// The system texts: the tutor's standing instructions from the prompt files, with the part
// about the page replaced for wide pages.
#include "tutor/TutorSession.h"

#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/Unicode.h"

namespace nolby {

namespace {

// A prompt file's text: "Prompts/<name>.md" in the resources, else "<name>.md" at their top.
// None when neither is there or the text is not UTF-8.
std::optional<std::string> prompt(const std::filesystem::path& resources, const std::string& name) {
    const std::string file = name + ".md";
    std::optional<std::string> text = Files::read(resources / "Prompts" / file);
    if (!text) text = Files::read(resources / file);
    if (!text || unicode::toUtf8(unicode::toUtf32(*text)) != *text) return std::nullopt;
    return text;
}

std::string_view trimmed(std::string_view s) {
    const char* space = " \t\r\n\v\f";
    const size_t b = s.find_first_not_of(space);
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(space) - b + 1);
}

}  // namespace

TutorSession::Prompts TutorSession::prompts(const std::filesystem::path& resources) {
    Prompts out;
    out.system = prompt(resources, "tutor").value_or(fallbackSystem);
    out.wideSystem = out.system;
    const std::optional<std::string> wide = prompt(resources, "page-wide");
    constexpr std::string_view page = "# The page", modes = "# Modes";
    const size_t a = out.system.find(page);
    if (!wide || a == std::string::npos) return out;
    const size_t b = out.system.find(modes, a + page.size());
    if (b == std::string::npos) return out;
    out.wideSystem = out.system.substr(0, a) + std::string(trimmed(*wide)) + "\n\n" + out.system.substr(b);
    return out;
}

namespace {

const TutorSession::Prompts& programPrompts() {
    static const TutorSession::Prompts texts = TutorSession::prompts(resources::folder());
    return texts;
}

}  // namespace

const std::string& TutorSession::system() { return programPrompts().system; }
const std::string& TutorSession::wideSystem() { return programPrompts().wideSystem; }

}  // namespace nolby
