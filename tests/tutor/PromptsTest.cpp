// The system texts from the prompt files, their fallbacks, and the examples the tutor's text
// teaches, every one of which the notebook must be able to take.
#include "tutor/TutorSession.h"

#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "platform/Files.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace nolby {
namespace {

const std::filesystem::path kSource = std::filesystem::path(NOLBY_SOURCE_DIR) / "resources" / "Prompts";

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

TEST(Prompts, FallBackWhenFilesAreMissingOrUnusable) {
    struct Case {
        std::string tutor;  // "" for no file
        std::string wide;
        bool topLevel;
        TutorSession::Prompts expected;
    };
    const std::string full = "Intro\n# The page\nnarrow\n# Modes\nmodes\n";
    const Case cases[] = {
        {"", "", false, {TutorSession::fallbackSystem, TutorSession::fallbackSystem}},
        {"No headings.\n", "wide", false, {"No headings.\n", "No headings.\n"}},
        {"# Modes\nfirst\n# The page\nlast\n", "wide", false, {"# Modes\nfirst\n# The page\nlast\n", "# Modes\nfirst\n# The page\nlast\n"}},
        {full, "", false, {full, full}},
        {full, "\n\n  # The page\nwide and long\n\n", false, {full, "Intro\n# The page\nwide and long\n\n# Modes\nmodes\n"}},
        {full, "# The page\nwide\n", true, {full, "Intro\n# The page\nwide\n\n# Modes\nmodes\n"}},
        {"bad \xff bytes", "", false, {TutorSession::fallbackSystem, TutorSession::fallbackSystem}},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        const std::filesystem::path dir = c.topLevel ? folder.path : folder.path / "Prompts";
        if (!c.tutor.empty()) write(dir / "tutor.md", c.tutor);
        if (!c.wide.empty()) write(dir / "page-wide.md", c.wide);
        EXPECT_EQ(TutorSession::prompts(folder.path), c.expected) << c.tutor;
    }
}

TEST(Prompts, TheProgramsTextsAreTheBuildsCopyOfOurFiles) {
    const std::optional<std::string> tutor = Files::read(kSource / "tutor.md");
    ASSERT_TRUE(tutor);
    EXPECT_EQ(TutorSession::system(), *tutor);
    const size_t page = tutor->find("# The page"), modes = tutor->find("# Modes");
    ASSERT_NE(page, std::string::npos);
    ASSERT_NE(modes, std::string::npos);
    EXPECT_LT(page, modes);
    const std::string& wide = TutorSession::wideSystem();
    EXPECT_NE(wide, *tutor);
    EXPECT_EQ(wide.substr(0, page), tutor->substr(0, page));
    EXPECT_EQ(wide.substr(wide.find("# Modes")), tutor->substr(modes));
}

TEST(Prompts, EveryExampleLineOfTheTutorsTextIsTakenByTheNotebook) {
    const std::optional<std::string> tutor = Files::read(kSource / "tutor.md");
    ASSERT_TRUE(tutor);
    const std::set<std::string> controls = {"read", "plan", "cover", "step", "next", "reviewed", "learner", "wait", "mark"};
    std::set<std::string> blockKinds, controlKinds;
    std::istringstream lines(*tutor);
    size_t examples = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() != '{') continue;
        ++examples;
        std::optional<J> o = J::parse(line);
        ASSERT_TRUE(o) << line;
        const std::string kind = o->str("t", "");
        if (Blocks::isBlock(kind)) {
            blockKinds.insert(kind);
            for (const Geo geo : {Geo{400, 869}, Geo{600, 1600}}) {
                const Laid laid = Blocks{geo, Color::hex(0x2a4b9b)}.lay(*o, 7);
                EXPECT_FALSE(laid.ops.empty()) << line;
                EXPECT_GT(laid.height, 0) << line;
            }
        } else {
            EXPECT_TRUE(controls.count(kind)) << line;
            controlKinds.insert(kind);
        }
    }
    EXPECT_GT(examples, 0u);
    EXPECT_EQ(blockKinds.size(), 11u);
    EXPECT_EQ(controlKinds, controls);
}

}  // namespace
}  // namespace nolby
