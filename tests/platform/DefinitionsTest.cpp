// Looking a phrase up opens the dictionary's page at the address the settings hold.
#include "platform/Definitions.h"
#include "platform/Defaults.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

using namespace nolby;

TEST(Definitions, TheDictionaryPageForAPhrase) {
    const std::pair<const char*, const char*> cases[] = {
        {"entropy", "https://en.wiktionary.org/wiki/entropy"},
        {"kinetic energy", "https://en.wiktionary.org/wiki/kinetic%20energy"},
        {"caf\u00E9?&", "https://en.wiktionary.org/wiki/caf%C3%A9%3F%26"},
    };
    for (const auto& [phrase, url] : cases)
        EXPECT_EQ(DictionaryPage::address(DictionaryPage::defaultAddress, phrase), url);
    EXPECT_EQ(DictionaryPage::address("https://d.example/?q=", "a b"), "https://d.example/?q=a%20b");

    const auto folder = std::filesystem::temp_directory_path() / ("nolby-definitions-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto defaults = std::make_shared<Defaults>(folder / "defaults.json");
    std::vector<std::string> opened;
    DictionaryPage page(defaults, [&](const std::string& url) { opened.push_back(url); });
    page.show("entropy", {1, 2}, 17);
    page.show("", {1, 2}, 17);
    defaults->set(DictionaryPage::addressKey, std::string("https://d.example/{}/en"));
    page.show("heat", {1, 2}, 17);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://en.wiktionary.org/wiki/entropy", "https://d.example/heat/en"}));
    std::filesystem::remove_all(folder);

    DefinitionsRecorder recorder;
    recorder.show("x", {3, 4}, 34);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].size, 34);
}
