#include "platform/DataFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace nolby;
using Platform::DataFolder;
using Platform::Environment;

TEST(DataFolder, FollowsTheEnvironment) {
    const std::string app = Platform::applicationIdentifier;
    struct Case {
        const char* name;
        Environment env;
        DataFolder expected;
    };
    const Case cases[] = {
        {"data home set", {"/data", "/home/u", std::nullopt}, {"/data/" + app, true}},
        {"home only", {std::nullopt, "/home/u", std::nullopt}, {"/home/u/.local/share/" + app, true}},
        {"empty data home", {"", "/home/u", std::nullopt}, {"/home/u/.local/share/" + app, true}},
        {"relative data home", {"data", "/home/u", std::nullopt}, {"/home/u/.local/share/" + app, true}},
        {"sandboxed", {"/data", "/home/u", "com.example.box"}, {"/data", false}},
        {"sandboxed, empty value", {std::nullopt, "/home/u", ""}, {"/home/u/.local/share", false}},
        {"no home at all", {std::nullopt, std::nullopt, std::nullopt}, {"/tmp/.local/share/" + app, true}},
        {"relative home", {std::nullopt, "u", std::nullopt}, {"/tmp/.local/share/" + app, true}},
    };
    for (const auto& c : cases) {
        const DataFolder got = Platform::dataFolder(c.env);
        EXPECT_EQ(got.path, c.expected.path) << c.name;
        EXPECT_EQ(got.create, c.expected.create) << c.name;
    }
}

// The process's folder is made on first use and then stays put.
TEST(DataFolder, SupportIsMadeOnceFromTheProcessEnvironment) {
    const auto base = std::filesystem::temp_directory_path() / ("nolby-data-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base);
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;
    ::setenv("XDG_DATA_HOME", base.c_str(), 1);
    ::unsetenv("APP_SANDBOX_CONTAINER_ID");

    const std::filesystem::path& first = Platform::support();
    EXPECT_EQ(first, base / Platform::applicationIdentifier);
    EXPECT_TRUE(std::filesystem::is_directory(first));

    ::setenv("XDG_DATA_HOME", "/elsewhere", 1);
    EXPECT_EQ(&Platform::support(), &first);
    EXPECT_EQ(Platform::support(), base / Platform::applicationIdentifier);
    std::filesystem::remove_all(base);
    if (saved)
        ::setenv("XDG_DATA_HOME", saved->c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST(DataFolder, PlainFileNamesOnly) {
    struct Case {
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"sketch.png", true},
        {"0F1E2D3C-4B5A-4697-8877-665544332211.png", true},
        {"..png", true},
        {"a b", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../x.png", false},
        {"/etc/passwd", false},
        {"Sketches/x.png", false},
        {"x/", false},
        {std::string("x.png\0.txt", 10), false},
    };
    for (const Case& c : cases) EXPECT_EQ(Platform::isPlainFileName(c.name), c.plain) << c.name;
}
