#pragma once
// Looking a word up. Desktops here have no system definition panel, so the default shows
// the dictionary's page for the phrase in the browser; the page's address is a pattern kept
// in the user's settings ("{}" stands for the phrase), so a learner may choose another
// dictionary. Tests record what was looked up.

#include "platform/Geometry.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class Defaults;

class Definitions {
public:
    virtual ~Definitions() = default;
    // Shows the definition of a phrase whose text sits at `size` on the baseline at `at`
    // (where a panel would point at it).
    virtual void show(const std::string& phrase, Point at, double size) = 0;
};

class DictionaryPage final : public Definitions {
public:
    static constexpr std::string_view addressKey = "LookUpAddress";
    static constexpr std::string_view defaultAddress = "https://en.wiktionary.org/wiki/{}";

    // `open` hands an address to the browser; `defaults` may be null (the default address).
    DictionaryPage(std::shared_ptr<Defaults> defaults, std::function<void(const std::string&)> open)
        : defaults_(std::move(defaults)), open_(std::move(open)) {}

    // The address for a phrase: the pattern with "{}" replaced by the phrase, percent-encoded
    // (UTF-8 bytes); a pattern without "{}" gets the phrase at its end.
    static std::string address(std::string_view pattern, std::string_view phrase);
    // Opens the page; nothing for an empty phrase.
    void show(const std::string& phrase, Point at, double size) override;

private:
    std::shared_ptr<Defaults> defaults_;
    std::function<void(const std::string&)> open_;
};

class DefinitionsRecorder final : public Definitions {
public:
    struct Shown {
        std::string phrase;
        Point at;
        double size = 0;
    };
    void show(const std::string& phrase, Point at, double size) override { shown.push_back({phrase, at, size}); }
    std::vector<Shown> shown;
};

}  // namespace nolby
