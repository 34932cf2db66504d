#include "ink/J.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace nolby;
using nlohmann::json;

namespace {

// An object holding one value under "k", written as JSON text; nullptr gives {} so "k"
// is missing.
J with(const char* value) {
    std::string text = value ? std::string("{\"k\":") + value + "}" : "{}";
    std::optional<J> j = J::parse(text);
    EXPECT_TRUE(j) << text;
    return j.value_or(J());
}

}  // namespace

TEST(J, NumberRule) {
    const double D = -99;  // the caller's default
    struct Case { const char* value; double expected; } cases[] = {
        {"12", 12},
        {"-0.25", -0.25},
        {"\" 12 \"", 12},                  // spaces trimmed
        {"\"\\t12\\t\"", 12},              // tabs trimmed
        {"\"12\\n\"", D},                  // a line break is not trimmed
        {"\"\\n12\"", D},
        {"\"\\r12\"", D},
        {"\"+4.5e1\"", 45},
        {"\"0x1p3\"", 8},                  // hexadecimal floating form
        {"\"-0x10\"", -16},
        {"\"1e-400\"", 0},                 // underflow is a number, not an error
        {"\"nan\"", D},
        {"\"inf\"", D},
        {"\"-Infinity\"", D},
        {"\"1e999\"", D},
        {"\"12abc\"", D},                  // must consume the whole string
        {"\"1,5\"", D},
        {"\"12\\u0000\"", D},
        {"\"\"", D},
        {"\" \\t \"", D},
        {"true", 1},
        {"false", 0},
        {"1e999", D},                      // too large for a double: absent
        {"null", D},
        {"[1]", D},
        {"{\"a\":1}", D},
        {nullptr, D},
    };
    for (const Case& c : cases) {
        J j = with(c.value);
        EXPECT_EQ(j.num("k", D), c.expected) << (c.value ? c.value : "missing");
    }
}

TEST(J, IntRoundsHalvesAwayAndClamps) {
    struct Case { const char* value; int64_t expected; } cases[] = {
        {"2.5", 3},
        {"-2.5", -3},
        {"0.49", 0},
        {"3e15", 1000000000000},
        {"-3e15", -1000000000000},
        {"18446744073709551615", 1000000000000},
        {"\"7\"", 7},
        {"\" -7.5 \"", -8},
        {"true", 1},
        {"\"x\"", -1},
        {"null", -1},
        {nullptr, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(with(c.value).int_("k", -1), c.expected) << (c.value ? c.value : "missing");
}

TEST(J, BoolReadsFlagsNumbersAndWords) {
    struct Case { const char* value; bool fallback; bool expected; } cases[] = {
        {"true", false, true},
        {"false", true, false},
        {"\"YES\"", false, true},
        {"\"True\"", false, true},
        {"\"1\"", false, true},
        {"\" yes\"", true, false},   // not trimmed
        {"\"no\"", true, false},     // any other string is false, not the default
        {"\"\"", true, false},
        {"0", true, false},
        {"2", false, true},
        {"-1", false, true},
        {"0.5", false, true},
        {"0.0", true, false},
        {"1e999", true, true},       // absent: the default
        {"null", true, true},
        {"[]", true, true},
        {"{}", false, false},
        {nullptr, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(with(c.value).bool_("k", c.fallback), c.expected)
            << (c.value ? c.value : "missing") << " default " << c.fallback;
}

TEST(J, StrWritesNumbersAsText) {
    struct Case { const char* value; const char* expected; } cases[] = {
        {"\"a/b \"", "a/b "},
        {"\"\"", ""},
        {"12", "12"},
        {"-7", "-7"},
        {"3.0", "3"},
        {"1.5", "1.5"},
        {"0.1", "0.1"},
        {"0.30000000000000004", "0.3"},  // 16 significant digits
        {"1e15", "1000000000000000"},
        {"1e20", "1e+20"},
        {"1e-5", "1e-05"},
        {"18446744073709551615", "18446744073709551615"},
        {"true", "1"},
        {"false", "0"},
        {"[\"a\"]", "D"},
        {"{}", "D"},
        {"null", "D"},
        {nullptr, "D"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(with(c.value).str("k", "D"), c.expected) << (c.value ? c.value : "missing");

    EXPECT_EQ(with("\"\"").optStr("k"), std::nullopt);
    EXPECT_EQ(with("[]").optStr("k"), std::nullopt);
    EXPECT_EQ(with(nullptr).optStr("k"), std::nullopt);
    EXPECT_EQ(with("0").optStr("k"), "0");
    EXPECT_EQ(with("\" \"").optStr("k"), " ");
}

TEST(J, ArraysSkipStrayElementsOneByOne) {
    J j = *J::parse(R"({"n":[1,"2","x",null,true,3.5," 4 ",[5],1e999],)"
                    R"("s":["a",2,2.5,true,null,[],{},"b"],)"
                    R"("p":[[1,2],[3],[4,"5",9],"x",[null,1],[" 6 ",true],{"x":1}],)"
                    R"("o":[{},3,{"a":1},[{"b":2}]],)"
                    R"("one":5})");
    EXPECT_EQ(j.nums("n"), (std::vector<double>{1, 2, 1, 3.5, 4}));
    EXPECT_EQ(j.strs("s"), (std::vector<std::string>{"a", "2", "2.5", "1", "b"}));
    EXPECT_EQ(j.points("p"), (std::vector<Point>{{1, 2}, {4, 5}, {6, 1}}));
    std::vector<J> objs = j.objs("o");
    ASSERT_EQ(objs.size(), 2u);
    EXPECT_EQ(objs[0].line(), "{}");
    EXPECT_EQ(objs[1].int_("a", 0), 1);

    // A value that is not an array gives nothing.
    for (const char* key : {"one", "missing"}) {
        EXPECT_TRUE(j.nums(key).empty());
        EXPECT_TRUE(j.strs(key).empty());
        EXPECT_TRUE(j.points(key).empty());
        EXPECT_TRUE(j.objs(key).empty());
        EXPECT_EQ(j.arr(key), nullptr);
    }
    ASSERT_NE(j.arr("n"), nullptr);
    EXPECT_EQ(j.arr("n")->size(), 9u);
}

TEST(J, ObjectsPresenceAndRawValues) {
    J j = *J::parse(R"({"o":{"x":2},"a":[1],"z":null,"f":false,"s":"t"})");
    EXPECT_EQ(j.obj("o")->num("x", 0), 2);
    EXPECT_EQ(j.obj("a"), std::nullopt);
    EXPECT_EQ(j.obj("s"), std::nullopt);
    EXPECT_EQ(j.obj("missing"), std::nullopt);

    EXPECT_FALSE(j.has("z"));  // null counts as missing
    EXPECT_TRUE(j.has("f"));   // false does not
    EXPECT_FALSE(j.has("missing"));

    ASSERT_NE(j.subscript("z"), nullptr);
    EXPECT_TRUE(j.subscript("z")->is_null());
    EXPECT_EQ(*j["s"], "t");
    EXPECT_EQ(j["missing"], nullptr);
    EXPECT_EQ(J::number(j["f"]), 0.0);
    EXPECT_EQ(J::number(nullptr), std::nullopt);
}

TEST(J, NestedObjectsOutliveTheirParent) {
    std::optional<J> inner;
    std::vector<J> items;
    {
        J outer = *J::parse(R"({"o":{"x":2},"items":[{"t":"p"}]})");
        inner = outer.obj("o");
        items = outer.objs("items");
    }
    EXPECT_EQ(inner->num("x", 0), 2);
    EXPECT_EQ(items.at(0).str("t", ""), "p");
}

TEST(J, NothingIsInert) {
    for (J j : {J(), J(json::array({1, 2})), J(json(3))}) {
        EXPECT_EQ(j.str("t", "d"), "d");
        EXPECT_EQ(j.num("t", 4), 4);
        EXPECT_EQ(j.int_("t", 5), 5);
        EXPECT_TRUE(j.bool_("t", true));
        EXPECT_FALSE(j.has("t"));
        EXPECT_TRUE(j.objs("t").empty());
        EXPECT_EQ(j["t"], nullptr);
        EXPECT_TRUE(j.d().is_object());
        EXPECT_EQ(j.line(), "{}");
        EXPECT_EQ(j, J());
    }
}

TEST(J, ParseTakesOneObjectPerLine) {
    for (const char* bad : {"", "   ", "[1,2]", "3", "\"s\"", "null", "{", "{\"a\":1} x",
                            "{\"a\":1}{}", "{'a':1}", "{\"a\":1,}", "{\"a\":NaN}",
                            "{\"a\":0x10}", "{\"a\":\"\xff\"}", "{\"a\":1} // note"})
        EXPECT_EQ(J::parse(bad), std::nullopt) << bad;

    EXPECT_EQ(J::parse(" {\"a\":1}\r\n")->int_("a", 0), 1);
    EXPECT_EQ(J::parse("{}")->line(), "{}");

    // A number beyond a double is absent; the rest of the line survives, and the same
    // characters inside a string are left alone.
    J big = *J::parse(R"({"a":1e999,"b":[-1e400,2],"s":"1e999 [[[ {"})");
    EXPECT_FALSE(big.has("a"));
    EXPECT_EQ(big.nums("b"), std::vector<double>{2});
    EXPECT_EQ(big.str("s", ""), "1e999 [[[ {");
    J digits = *J::parse("{\"a\":1" + std::string(400, '0') + ",\"b\":-1E999,\"c\":1" +
                         std::string(300, '0') + "}");
    EXPECT_FALSE(digits.has("a"));
    EXPECT_FALSE(digits.has("b"));
    EXPECT_EQ(digits.num("c", 0), 1e300);

    // Nesting far beyond any reply is refused rather than walked.
    std::string deep(200, '[');
    EXPECT_EQ(J::parse("{\"a\":" + deep + std::string(200, ']') + "}"), std::nullopt);
    std::string fine = "{\"a\":" + std::string(20, '[') + "1" + std::string(20, ']') + "}";
    EXPECT_EQ(J::parse(fine)->line(), fine);
}

TEST(J, LineIsCompactSortedAndStable) {
    struct Case { const char* in; const char* out; } cases[] = {
        {R"({"b":1,"a":2})", R"({"a":2,"b":1})"},
        {R"({ "a" : [ 1 , 2 ] , "B" : { } })", R"({"B":{},"a":[1,2]})"},
        {R"({"u":"https://example.org/a/b"})", R"({"u":"https://example.org/a/b"})"},
        {R"({"z":{"b":1,"a":[{"d":1,"c":2}]}})", R"({"z":{"a":[{"c":2,"d":1}],"b":1}})"},
        {R"({"x":3.0,"y":-2.50,"z":1e20,"w":1e15,"v":0.1,"u":1e-7,"t":123456789012345.0})",
         R"({"t":123456789012345,"u":1e-07,"v":0.1,"w":1e+15,"x":3,"y":-2.5,"z":1e+20})"},
        {R"({"n":-0.0,"m":-0,"l":-3.0})", R"({"l":-3,"m":0,"n":0})"},
        {R"({"big":18446744073709551615,"neg":-9223372036854775808})",
         R"({"big":18446744073709551615,"neg":-9223372036854775808})"},
        {R"({"t":"a\nb\tc \"q\" \\ \/ \u0001"})", R"({"t":"a\nb\tc \"q\" \\ / \u0001"})"},
        {"{\"\xC3\xA9\":\"\\u00fc\"}", "{\"\xC3\xA9\":\"\xC3\xBC\"}"},
        {R"({"a":true,"b":null,"c":false})", R"({"a":true,"b":null,"c":false})"},
        {R"({"a":1e999})", R"({"a":null})"},
    };
    for (const Case& c : cases) {
        std::string line = J::parse(c.in)->line();
        EXPECT_EQ(line, c.out) << c.in;
        EXPECT_EQ(J::parse(line)->line(), line) << "written again: " << c.in;
    }
}

// A value that cannot be written drops out on its own instead of the whole object; the
// object used to be stored as "{}", and the block vanished from the saved notebook.
TEST(J, LineLeavesOutOnlyWhatCannotBeWritten) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    json fig = {{"t", "fig"}, {"_scale", nan}, {"items", json::array({1.0, inf, 2.5})},
                {"o", {{"w", -inf}}}, {"w", 40.0}};
    J j(fig);
    EXPECT_EQ(j.line(), R"({"items":[1,2.5],"o":{},"t":"fig","w":40})");
    EXPECT_EQ(j.num("_scale", 1), 1);
    EXPECT_EQ(j.str("_scale", "d"), "d");
    EXPECT_TRUE(j.bool_("_scale", true));
    EXPECT_EQ(j.nums("items"), (std::vector<double>{1, 2.5}));

    // Text that is not UTF-8 is mended, not fatal.
    EXPECT_EQ(J(json{{"s", "a\xff"}}).line(), "{\"s\":\"a\xEF\xBF\xBD\"}");

    // Nesting deeper than any parsed line is cut off where it passes the limit, so the
    // line still reads back; the rest is kept.
    json deep = 1;
    for (int i = 0; i < 100; ++i) deep = json::array({deep});
    std::string line = J(json{{"deep", deep}, {"t", "p"}}).line();
    EXPECT_EQ(std::count(line.begin(), line.end(), '['), 63);
    std::optional<J> back = J::parse(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->str("t", ""), "p");
}

TEST(J, EqualityComparesContent) {
    EXPECT_EQ(*J::parse(R"({"a":1,"b":[2]})"), *J::parse(R"({"b":[2],"a":1})"));
    EXPECT_NE(*J::parse(R"({"a":1})"), *J::parse(R"({"a":"1"})"));
    EXPECT_NE(*J::parse(R"({"a":1})"), J());
}
