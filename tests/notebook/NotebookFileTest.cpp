#include "notebook/NotebookFile.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

using namespace nolby;

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

Date at(double seconds) { return dateFromReference(seconds); }

// A notebook with every field present, odd numbers and strings included.
Notebook rich() {
    Notebook n;
    n.title = "Fractions / ratios \"quoted\" \u00e9\U0001F600\n";
    n.color = "green";
    n.created = at(786000000.123456789);
    n.updated = at(786000100.5);
    n.pageW = 600;
    n.pageH = 1600.25;
    n.plan = R"({"steps":["a","b/c"],"art":1})";
    n.step = 2;
    n.mode = "explore";
    n.learner = "quick with pictures";
    n.pace = 4;
    n.turns = {Turn{at(786000050.75), "3/4", "maths", "Yes, and...", 1}};
    n.lastPage = 1;
    n.issue = 7;
    n.next = "Try one";
    n.verdict = "partly";
    n.misses = 0;
    n.review = std::vector<std::string>{"halves", ""};
    n.parent = Uuid::random();
    n.from = "three quarters";
    n.passage = "the passage";

    TextItem t;
    t.x = 12.5;
    t.y = -0.1;
    t.width = 300;
    t.text = "x\ty \\ z";
    t.color = "ink";
    t.size = 17;
    t.created = at(-5.5);
    t.turn = 3;
    t.spoken = true;
    t.anchor = Rect{1.5, 2, -30, 40};
    t.about = "words";
    StrokeItem s{{1.1f, 2.2f, 0.5f, 1e-7f, 3.4e38f, 1, 9}, "red", 2.4, "marker"};
    s.turn = -1;
    BlockItem b;
    b.json = R"({"t":"text","s":"a\/b"})";
    b.dx = -4;
    b.y = 120;
    b.h = 0.1;
    b.seed = 18446744073709551615ull;
    b.turn = 2;
    b.image = "sketch-1.png";
    b.box = Rect{10, 20, 30, 40};
    BlockItem plain;
    plain.json = "{}";
    plain.seed = (uint64_t(1) << 53) + 1;

    Page second;
    second.items = {PageItem(s), PageItem(b), PageItem(plain)};
    second.carry = false;
    n.pages[0].items = {PageItem(t)};
    n.pages.push_back(second);
    return n;
}

// Equality of Notebook is id and updated only: compare every field here.
void expectSame(const Notebook& a, const Notebook& b) {
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.color, b.color);
    EXPECT_EQ(a.created, b.created);
    EXPECT_EQ(a.updated, b.updated);
    EXPECT_EQ(a.pageW, b.pageW);
    EXPECT_EQ(a.pageH, b.pageH);
    EXPECT_EQ(a.pages, b.pages);
    EXPECT_EQ(a.plan, b.plan);
    EXPECT_EQ(a.step, b.step);
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.learner, b.learner);
    EXPECT_EQ(a.pace, b.pace);
    EXPECT_EQ(a.turns, b.turns);
    EXPECT_EQ(a.lastPage, b.lastPage);
    EXPECT_EQ(a.issue, b.issue);
    EXPECT_EQ(a.next, b.next);
    EXPECT_EQ(a.verdict, b.verdict);
    EXPECT_EQ(a.misses, b.misses);
    EXPECT_EQ(a.review, b.review);
    EXPECT_EQ(a.parent, b.parent);
    EXPECT_EQ(a.from, b.from);
    EXPECT_EQ(a.passage, b.passage);
}

NotebookFile::Decoded decodeJson(const nlohmann::json& j) { return NotebookFile::decode(j.dump()); }

nlohmann::json encodedJson(const Notebook& n) { return nlohmann::json::parse(NotebookFile::encode(n)); }

std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(NOLBY_SOURCE_DIR) + "/tests/fixtures/model/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(NotebookFile, RoundTripKeepsEveryField) {
    Notebook n = rich();
    std::string bytes = NotebookFile::encode(n);
    NotebookFile::Decoded back = NotebookFile::decode(bytes);
    ASSERT_TRUE(back.notebook);
    EXPECT_TRUE(back.issues.empty()) << back.issues.front();
    expectSame(*back.notebook, n);
    EXPECT_EQ(NotebookFile::encode(*back.notebook), bytes);  // writing is stable
    // A new notebook, with every optional absent, too.
    Notebook fresh;
    expectSame(*NotebookFile::decode(NotebookFile::encode(fresh)).notebook, fresh);
}

TEST(NotebookFile, WrittenForms) {
    Notebook n = rich();
    std::string bytes = NotebookFile::encode(n);
    // Compact: no spaces or line breaks of the writer's own; a text's line break is escaped.
    EXPECT_EQ(NotebookFile::encode(Notebook()).find_first_of(" \n"), std::string::npos);
    EXPECT_EQ(bytes.find('\n'), std::string::npos);
    EXPECT_NE(bytes.find(R"("pageW":600,)"), std::string::npos);  // integral doubles without ".0"
    EXPECT_NE(bytes.find(R"("pageH":1600.25,)"), std::string::npos);
    EXPECT_NE(bytes.find(R"("seed":18446744073709551615)"), std::string::npos);
    EXPECT_NE(bytes.find(R"("seed":9007199254740993)"), std::string::npos);  // above 2^53, exact
    EXPECT_NE(bytes.find(R"("pts":[1.1,2.2,0.5,1e-07,3.4e+38,1,9])"), std::string::npos);  // shortest floats
    EXPECT_NE(bytes.find(R"("plan":"{\"steps\":[\"a\",\"b\/c\"],\"art\":1}")"), std::string::npos);
    EXPECT_NE(bytes.find(R"("anchor":[[1.5,2],[-30,40]])"), std::string::npos);
    EXPECT_NE(bytes.find(R"("carry":false)"), std::string::npos);
    EXPECT_EQ(bytes.find("\"/"), std::string::npos);
    EXPECT_EQ(bytes.rfind("{\"id\":\"" + n.id.string() + "\",\"title\":", 0), 0u);

    nlohmann::json j = encodedJson(n);
    const nlohmann::json& item = j["pages"][0]["items"][0];
    ASSERT_EQ(item.size(), 1u);
    EXPECT_EQ(item["text"].size(), 1u);
    EXPECT_EQ(item["text"]["_0"]["created"], -5.5);
    EXPECT_EQ(j["pages"][1]["items"][1]["block"]["_0"]["box"], nlohmann::json::parse("[[10,20],[30,40]]"));
    // Absent optionals leave their key out.
    nlohmann::json fresh = encodedJson(Notebook());
    for (const char* key : {"plan", "issue", "next", "verdict", "misses", "review", "parent", "from", "passage"})
        EXPECT_FALSE(fresh.contains(key)) << key;
    EXPECT_FALSE(fresh["pages"][0].contains("carry"));
    EXPECT_EQ(NotebookFile::fileName(n.id), n.id.string() + ".json");
}

TEST(NotebookFile, NonFiniteNumbersNeverStopASave) {
    Notebook n = rich();
    n.pageW = kNan;
    n.pageH = kInf;
    n.updated = at(kNan);
    TextItem& t = std::get<TextItem>(n.pages[0].items[0].value);
    t.x = -kInf;
    t.anchor = Rect{0, kNan, 1, 1};
    StrokeItem& s = std::get<StrokeItem>(n.pages[1].items[0].value);
    s.pts = {1, 2, 3, 4, float(kNan), 6, 7, 8, 9, 10, float(kInf)};
    BlockItem& b = std::get<BlockItem>(n.pages[1].items[1].value);
    b.h = kInf;
    b.box = Rect{kInf, 0, 1, 1};

    std::string bytes = NotebookFile::encode(n);
    EXPECT_EQ(bytes.find("null"), std::string::npos);
    NotebookFile::Decoded back = NotebookFile::decode(bytes);
    ASSERT_TRUE(back.notebook);
    EXPECT_TRUE(back.issues.empty());
    const Notebook& r = *back.notebook;
    EXPECT_EQ(r.pageW, 400);
    EXPECT_EQ(r.pageH, 869);
    EXPECT_EQ(referenceSeconds(r.updated), 0);
    const TextItem& rt = *r.pages[0].items[0].text();
    EXPECT_EQ(rt.x, 0);
    EXPECT_FALSE(rt.anchor);
    // The triple holding NaN goes whole; the trailing part stops at infinity.
    EXPECT_EQ(r.pages[1].items[0].stroke()->pts, (std::vector<float>{1, 2, 3, 7, 8, 9, 10}));
    EXPECT_FALSE(r.pages[1].items[1].block()->h);
    EXPECT_FALSE(r.pages[1].items[1].block()->box);
}

TEST(NotebookFile, StringsAreWrittenAsValidJson) {
    Notebook n;
    n.title = std::string("a\x01\x7f") + "\xff\xc0\x80" + "\xed\xa0\x80" + "b";  // controls, bad UTF-8
    std::string bytes = NotebookFile::encode(n);
    NotebookFile::Decoded back = NotebookFile::decode(bytes);
    ASSERT_TRUE(back.notebook);
    EXPECT_EQ(back.notebook->title, "a\x01\x7f\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_NE(bytes.find(R"(a\u0001)"), std::string::npos);
}

TEST(NotebookFile, ReadingAcceptsWhatTheFormatAllows) {
    nlohmann::json j = encodedJson(rich());
    std::string lower = j["id"].get<std::string>();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    j["id"] = lower;
    j["unknown"] = {{"deep", {1, 2}}};
    j["pages"][0]["items"][0]["text"]["_0"]["extra"] = true;
    j["pages"][0]["items"][0]["other"] = 5;  // a key of no meaning beside "text"
    j["pages"][0]["carry"] = nullptr;
    j["issue"] = nullptr;
    j["step"] = 2.0;  // integral, so an integer
    NotebookFile::Decoded back = decodeJson(j);
    ASSERT_TRUE(back.notebook);
    EXPECT_TRUE(back.issues.empty());
    EXPECT_EQ(Uuid::parse(lower), back.notebook->id);
    EXPECT_FALSE(back.notebook->pages[0].carry);
    EXPECT_FALSE(back.notebook->issue);
    EXPECT_EQ(back.notebook->step, 2);
    EXPECT_TRUE(back.notebook->pages[0].items[0].text());
}

TEST(NotebookFile, DamagedFieldsTakeDefaultsAndAreReported) {
    Notebook n = rich();
    struct Case {
        const char* name;
        void (*damage)(nlohmann::json&);
        void (*check)(const Notebook&);
    };
    const Case cases[] = {
        {"missing spoken", [](nlohmann::json& j) { j["pages"][0]["items"][0]["text"]["_0"].erase("spoken"); },
         [](const Notebook& r) { EXPECT_FALSE(r.pages[0].items[0].text()->spoken); }},
        {"missing turns and learner", [](nlohmann::json& j) { j.erase("turns"); j.erase("learner"); },
         [](const Notebook& r) { EXPECT_TRUE(r.turns.empty()); EXPECT_EQ(r.learner, ""); }},
        {"two case keys", [](nlohmann::json& j) { j["pages"][0]["items"][0]["block"] = j["pages"][1]["items"][1]["block"]; },
         [](const Notebook& r) { EXPECT_TRUE(r.pages[0].items.empty()); }},
        {"empty item", [](nlohmann::json& j) { j["pages"][1]["items"][0] = nlohmann::json::object(); },
         [](const Notebook& r) { EXPECT_EQ(r.pages[1].items.size(), 2u); }},
        {"fractional step", [](nlohmann::json& j) { j["step"] = 2.5; }, [](const Notebook& r) { EXPECT_EQ(r.step, 1); }},
        {"negative seed", [](nlohmann::json& j) { j["pages"][1]["items"][1]["block"]["_0"]["seed"] = -1; },
         [](const Notebook& r) { EXPECT_EQ(r.pages[1].items[1].block()->seed, 0u); }},
        {"seed beyond 2^64", [](nlohmann::json& j) { j["pages"][1]["items"][1]["block"]["_0"]["seed"] = 1.9e19; },
         [](const Notebook& r) { EXPECT_EQ(r.pages[1].items[1].block()->seed, 0u); }},
        {"string for a number", [](nlohmann::json& j) { j["pages"][0]["items"][0]["text"]["_0"]["x"] = "12"; },
         [](const Notebook& r) { EXPECT_EQ(r.pages[0].items[0].text()->x, 0); }},
        {"bad page id", [](nlohmann::json& j) { j["pages"][0]["id"] = "not-a-uuid"; },
         [](const Notebook& r) { EXPECT_EQ(r.pages[0].items.size(), 1u); }},
        {"rectangle as object", [](nlohmann::json& j) { j["pages"][0]["items"][0]["text"]["_0"]["anchor"] = {{"x", 1}}; },
         [](const Notebook& r) { EXPECT_FALSE(r.pages[0].items[0].text()->anchor); }},
        {"samples out of float range", [](nlohmann::json& j) { j["pages"][1]["items"][0]["stroke"]["_0"]["pts"] = {1, 2, 3, 1e39, 5, 6, 7}; },
         [](const Notebook& r) { EXPECT_EQ(r.pages[1].items[0].stroke()->pts, (std::vector<float>{1, 2, 3, 7})); }},
        {"no pages", [](nlohmann::json& j) { j["pages"] = nlohmann::json::array(); },
         [](const Notebook& r) { EXPECT_EQ(r.pages.size(), 1u); EXPECT_EQ(r.lastPage, 0); }},
        {"last page beyond", [](nlohmann::json& j) { j["lastPage"] = 99; }, [](const Notebook& r) { EXPECT_EQ(r.lastPage, 1); }},
        {"zero page width", [](nlohmann::json& j) { j["pageW"] = 0; }, [](const Notebook& r) { EXPECT_EQ(r.pageW, 400); }},
        {"review of numbers", [](nlohmann::json& j) { j["review"] = {"a", 2, "c"}; },
         [](const Notebook& r) { EXPECT_EQ(r.review, (std::vector<std::string>{"a", "c"})); }},
        {"turn not an object", [](nlohmann::json& j) { j["turns"].push_back(3); },
         [](const Notebook& r) { EXPECT_EQ(r.turns.size(), 1u); }},
    };
    for (const Case& c : cases) {
        nlohmann::json j = encodedJson(n);
        c.damage(j);
        NotebookFile::Decoded back = decodeJson(j);
        ASSERT_TRUE(back.notebook) << c.name;
        EXPECT_FALSE(back.issues.empty()) << c.name;
        EXPECT_EQ(back.notebook->id, n.id) << c.name;
        c.check(*back.notebook);
    }
    nlohmann::json j = encodedJson(n);
    j["pages"][0]["items"][0]["block"] = nlohmann::json::object();
    EXPECT_NE(decodeJson(j).issues.front().find("Invalid number of keys found, expected one."), std::string::npos);
}

TEST(NotebookFile, HostileFilesGiveNoNotebookAndNeverCrash) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string deepInString = R"({"id":")" + std::string(1000, '[') + R"("})";
    const std::string cases[] = {
        "",
        "   ",
        "null",
        "[]",
        "\"text\"",
        "{",
        "{\"id\":\"" + Uuid::random().string() + "\"",  // cut short
        R"({"title":"no id"})",
        R"({"id":null})",
        R"({"id":"00000000-0000-0000-0000-00000000000G"})",
        R"({"id":"0000000000000000000000000000000000000"})",
        R"({"id":42})",
        deep,
        "{\"a\":" + deep + "}",
        deepInString,
        "\xff\xfe{}",
    };
    for (const std::string& bytes : cases) {
        NotebookFile::Decoded back = NotebookFile::decode(bytes);
        EXPECT_FALSE(back.notebook) << bytes.substr(0, 60);
        EXPECT_FALSE(back.issues.empty());
    }
}

TEST(NotebookFile, HostileValuesInsideANotebookAreBounded) {
    nlohmann::json j = encodedJson(rich());
    j["pages"][1]["items"][0]["stroke"]["_0"]["pts"] = nlohmann::json::array();
    auto& pts = j["pages"][1]["items"][0]["stroke"]["_0"]["pts"];
    for (size_t i = 0; i < NotebookFile::maxStrokeNumbers + 5; ++i) pts.push_back(1);
    j["pages"][0]["items"] = std::string(10, 'x');
    j["turns"] = {{{"at", std::numeric_limits<double>::infinity()}}};
    j["pace"] = 1e300;
    j["created"] = "yesterday";
    j["pages"][1]["items"][2] = {{"block", {{"_0", 5}}}};
    NotebookFile::Decoded back = decodeJson(j);
    ASSERT_TRUE(back.notebook);
    const Notebook& r = *back.notebook;
    EXPECT_EQ(r.pages[1].items[0].stroke()->pts.size(), NotebookFile::maxStrokeNumbers);
    EXPECT_TRUE(r.pages[0].items.empty());
    EXPECT_EQ(r.turns.size(), 1u);
    EXPECT_TRUE(std::isfinite(referenceSeconds(r.turns[0].at)));
    EXPECT_EQ(r.pace, 3);
    EXPECT_EQ(r.pages[1].items.size(), 2u);
    EXPECT_LE(back.issues.size(), 100u);
}

TEST(NotebookFile, OlderFileReadsWithoutIssues) {
    // As the format was written before: slashes escaped, keys in another order, float dates.
    NotebookFile::Decoded back = NotebookFile::decode(readFixture("written-elsewhere.json"));
    ASSERT_TRUE(back.notebook);
    EXPECT_TRUE(back.issues.empty()) << back.issues.front();
    const Notebook& n = *back.notebook;
    EXPECT_EQ(n.id.string(), "6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2C");
    EXPECT_EQ(n.title, "Half of a half");
    EXPECT_EQ(referenceSeconds(n.updated), 786543210.987654);
    ASSERT_EQ(n.pages.size(), 2u);
    EXPECT_EQ(n.pages[1].carry, true);
    ASSERT_EQ(n.pages[0].items.size(), 3u);
    EXPECT_EQ(n.pages[0].items[0].text()->text, "what is 1/2 of 1/2?");
    EXPECT_EQ(n.pages[0].items[1].stroke()->points().size(), 2u);
    EXPECT_EQ(n.pages[0].items[2].block()->seed, 12345678901234567890ull);
    EXPECT_EQ(n.pages[0].items[2].block()->json, R"({"t":"text","s":"1/4"})");
    EXPECT_EQ(n.newItems().size(), 1u);
}
