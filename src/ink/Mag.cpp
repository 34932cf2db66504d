#include "ink/Mag.h"

#include <ctime>

namespace nolby::Mag {

Inks inks(std::string_view name) {
    if (name == "red") return {0xe22c38, 0x1c4cd6, 0xf7c81e, 0xfbf8f1, "poster red, cobalt blue and warm yellow"};
    if (name == "violet")
        return {0x5b36d6, 0xff2fb3, 0x78e2f0, 0xf8f6fb, "deep violet, fluorescent magenta and pale cyan"};
    if (name == "orange") return {0xff6a1a, 0x2633a8, 0xf4e6c8, 0xfbf7ee, "bright orange, ultramarine and cream"};
    if (name == "green")
        return {0x14915a, 0x1c4cd6, 0xf7c81e, 0xf7f8f2, "emerald green, cobalt blue and sunflower yellow"};
    if (name == "teal") return {0x0b8f9c, 0x23338f, 0xff6b5a, 0xf4f8f7, "teal, deep navy and coral"};
    if (name == "pink") return {0xff4fa3, 0xe22c38, 0x1c4cd6, 0xfcf6f6, "fluorescent pink, poster red and cobalt blue"};
    return {0x2430b0, 0x2ecdf0, 0xff4fa3, 0xf6f7fa, "deep ultramarine, bright cyan and fluorescent pink"};
}

namespace {

std::string dateline(int month, int year) {
    return "Q" + std::to_string((month - 1) / 3 + 1) + " " + std::to_string(year);
}

}  // namespace

std::string quarter(std::chrono::year_month date) {
    int month = date.month().ok() ? static_cast<int>(static_cast<unsigned>(date.month())) : 1;
    int year = date.year().ok() ? static_cast<int>(date.year()) : 2026;
    return dateline(month, year);
}

std::string quarter(std::chrono::system_clock::time_point date) {
    // The user's calendar is the local one; a time the C library cannot place counts as a
    // date without month and year.
    std::time_t t = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (!localtime_r(&t, &local)) return dateline(1, 2026);
    return dateline(local.tm_mon + 1, local.tm_year + 1900);
}

}  // namespace nolby::Mag
