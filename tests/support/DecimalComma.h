#pragma once
// A decimal-comma locale for the life of the object, set the way a Qt application follows
// a German desktop: the C locale (printf, strtod, localeconv) and the C++ global locale
// (every stream made afterwards). Both are restored at the end. scripts/setup generates
// de_DE.UTF-8; without it the tests that need one skip, saying so.

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

namespace nolby::testing {

class DecimalComma {
public:
    DecimalComma() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        oldC_ = old ? old : "C";
        oldGlobal_ = std::locale();
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (!std::setlocale(LC_ALL, name)) continue;
            const std::lconv* conv = std::localeconv();
            if (!conv || std::string(conv->decimal_point) != ",") continue;
            try {
                std::locale::global(std::locale(name));
            } catch (const std::exception&) {
                continue;
            }
            name_ = name;
            return;
        }
        std::setlocale(LC_ALL, oldC_.c_str());
    }
    ~DecimalComma() {
        std::locale::global(oldGlobal_);
        std::setlocale(LC_ALL, oldC_.c_str());
    }
    DecimalComma(const DecimalComma&) = delete;
    DecimalComma& operator=(const DecimalComma&) = delete;

    bool active() const { return !name_.empty(); }
    const std::string& name() const { return name_; }

private:
    std::string oldC_;
    std::locale oldGlobal_;
    std::string name_;
};

}  // namespace nolby::testing

// Skips the current test when no decimal-comma locale can be set in this process.
#define NOLBY_REQUIRE_DECIMAL_COMMA(guard)                                                          \
    if (!(guard).active())                                                                         \
    GTEST_SKIP() << "no decimal-comma locale (de_DE.UTF-8) is installed; scripts/setup generates it"
