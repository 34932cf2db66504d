// Damage inside one value of a notebook file costs that value only: the rest of the
// notebook reads as written and the repair is listed.
#include "notebook/NotebookFile.h"
#include "support/DecimalComma.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>

using namespace nolby;

namespace {

const Uuid kFirst = *Uuid::parse("11111111-1111-4111-8111-111111111111");
const Uuid kSecond = *Uuid::parse("22222222-2222-4222-8222-222222222222");

// A small notebook with a note, a stroke and a sketch block on its first page and a note
// on its second; every item and page id spelled out so the text can be edited by hand.
Notebook sample() {
    Notebook n;
    n.id = *Uuid::parse("6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2C");
    n.title = "Title";
    n.created = dateFromReference(786000000.5);
    n.updated = dateFromReference(786000100.25);
    n.pace = 4;
    n.turns = {Turn{dateFromReference(786000050), "read", "kind", "reply", 0}};
    TextItem note;
    note.id = kFirst;
    note.x = 24;
    note.y = 100;
    note.width = 300;
    note.text = "note";
    note.color = "ink";
    note.size = 17;
    note.created = dateFromReference(786000010);
    StrokeItem stroke{{10, 20, 0.5f, 30, 40, 0.75f}, "blue", 2, "pen"};
    stroke.id = kSecond;
    stroke.created = dateFromReference(786000011);
    BlockItem block;
    block.id = *Uuid::parse("33333333-3333-4333-8333-333333333333");
    block.json = R"({"t":"sketch"})";
    block.y = 200;
    block.seed = 7;
    block.image = "sketch-1.png";
    block.created = dateFromReference(786000012);
    n.pages[0].id = *Uuid::parse("44444444-4444-4444-8444-444444444444");
    n.pages[0].items = {PageItem(note), PageItem(stroke), PageItem(block)};
    Page second;
    second.id = *Uuid::parse("55555555-5555-4555-8555-555555555555");
    TextItem later = note;
    later.id = *Uuid::parse("66666666-6666-4666-8666-666666666666");
    later.text = "later";
    later.x = 30;
    later.spoken = true;
    second.items = {PageItem(later)};
    n.pages.push_back(second);
    return n;
}

// The text with its one occurrence of `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "not unique: " << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TextItem& noteOf(Notebook& n) { return std::get<TextItem>(n.pages[0].items[0].value); }
BlockItem& blockOf(Notebook& n) { return std::get<BlockItem>(n.pages[0].items[2].value); }

std::string issuesOf(const NotebookFile::Decoded& d) {
    std::string all;
    for (const std::string& s : d.issues) all += s + "\n";
    return all;
}

// Every field of two notebooks, pages and turns by value.
void expectSame(const Notebook& a, const Notebook& b, const char* name) {
    EXPECT_EQ(NotebookFile::encode(a), NotebookFile::encode(b)) << name;
}

}  // namespace

TEST(NotebookFileDamage, OneDamagedValueCostsOnlyThatValue) {
    const Notebook original = sample();
    const std::string text = NotebookFile::encode(original);
    struct Case {
        const char* name;
        std::string from, to;
        const char* issue;                       // a piece of the issue listed
        std::function<void(Notebook&)> expect;   // checks the repaired value, then puts the original back
    };
    const std::string digits400 = "9" + std::string(399, '0');
    const Case cases[] = {
        {"1e400 in a required number", "\"pageH\":869", "\"pageH\":1e400", "notebook: \"pageH\" cannot hold 1e400",
         [](Notebook& n) { EXPECT_EQ(n.pageH, 869); }},
        {"-1e400 in a note's x", "\"x\":24", "\"x\":-1e400", "items[0]: \"x\" cannot hold -1e400",
         [](Notebook& n) { EXPECT_EQ(noteOf(n).x, 0); noteOf(n).x = 24; }},
        {"a 400-digit integer in an Int", "\"pace\":4", "\"pace\":" + digits400, "\"pace\" cannot hold 90000000000000000000...",
         [](Notebook& n) { EXPECT_EQ(n.pace, 3); n.pace = 4; }},
        {"a 400-digit integer under an unknown key", "\"pace\":4", "\"pace\":4,\"big\":" + digits400, "",
         [](Notebook&) {}},
        {"1e400 deep under an unknown key", "\"pace\":4", "\"pace\":4,\"x\":{\"y\":[1e400,-1e-400]}", "",
         [](Notebook&) {}},
        {"an Int below -2^63", "\"pace\":4", "\"pace\":-9223372036854775809", "\"pace\" cannot hold -9223372036854775809",
         [](Notebook& n) { EXPECT_EQ(n.pace, 3); n.pace = 4; }},
        {"an Int of exactly -2^63", "\"pace\":4", "\"pace\":-9223372036854775808", "",
         [](Notebook& n) { EXPECT_EQ(n.pace, INT64_MIN); n.pace = 4; }},
        {"a seed beyond 2^64", "\"seed\":7", "\"seed\":18446744073709551616", "\"seed\" cannot hold 18446744073709551616",
         [](Notebook& n) { EXPECT_EQ(blockOf(n).seed, 0u); blockOf(n).seed = 7; }},
        {"invalid UTF-8 in the title", "\"Title\"", "\"Ti\xff" "tle\"", "\"title\" had bytes that are not UTF-8",
         [](Notebook& n) { EXPECT_EQ(n.title, "Ti\uFFFDtle"); n.title = "Title"; }},
        {"a cut UTF-8 sequence in a note", "\"note\"", "\"n\xe2\x82te\"", "items[0]: \"text\" had bytes",
         [](Notebook& n) { EXPECT_EQ(noteOf(n).text, "n\uFFFD\uFFFDte"); noteOf(n).text = "note"; }},
        {"an overlong encoding in a note", "\"note\"", "\"n\xc0\xafte\"", "\"text\" had bytes",
         [](Notebook& n) { EXPECT_EQ(noteOf(n).text, "n\uFFFD\uFFFDte"); noteOf(n).text = "note"; }},
        {"a lone high surrogate", "\"Title\"", R"("Ti\ud800tle")", "\"title\" had a lone surrogate",
         [](Notebook& n) { EXPECT_EQ(n.title, "Ti\uFFFDtle"); n.title = "Title"; }},
        {"a lone low surrogate", "\"Title\"", R"("\udc00Title")", "lone surrogate",
         [](Notebook& n) { EXPECT_EQ(n.title, "\uFFFDTitle"); n.title = "Title"; }},
        {"a high surrogate before a plain escape", "\"Title\"", R"("\ud800\u0041")", "lone surrogate",
         [](Notebook& n) { EXPECT_EQ(n.title, "\uFFFDA"); n.title = "Title"; }},
        {"a surrogate pair", "\"Title\"", R"("\ud83d\ude00")", "",
         [](Notebook& n) { EXPECT_EQ(n.title, "\U0001F600"); n.title = "Title"; }},
        {"an unknown escape", "\"Title\"", R"("Ti\qtle")", "bad escape",
         [](Notebook& n) { EXPECT_EQ(n.title, "Ti\uFFFDtle"); n.title = "Title"; }},
        {"a short unicode escape", "\"Title\"", R"("\u12x")", "bad escape",
         [](Notebook& n) { EXPECT_EQ(n.title, "\uFFFD12x"); n.title = "Title"; }},
        {"a raw line break in a string", "\"Title\"", "\"Ti\ntle\"", "raw control character",
         [](Notebook& n) { EXPECT_EQ(n.title, "Ti\ntle"); n.title = "Title"; }},
        {"a sample beyond the largest float", "\"pts\":[10,20,0.5,30,", "\"pts\":[10,20,3.4028236e38,30,",
         "samples that a float cannot hold dropped",
         [](Notebook& n) {
             StrokeItem& s = std::get<StrokeItem>(n.pages[0].items[1].value);
             EXPECT_EQ(s.pts, (std::vector<float>{30, 40, 0.75f}));
             s.pts = {10, 20, 0.5f, 30, 40, 0.75f};
         }},
    };
    for (const Case& c : cases) {
        NotebookFile::Decoded d = NotebookFile::decode(replaced(text, c.from, c.to));
        ASSERT_TRUE(d.notebook) << c.name << "\n" << issuesOf(d);
        if (*c.issue) EXPECT_NE(issuesOf(d).find(c.issue), std::string::npos) << c.name << "\n" << issuesOf(d);
        else EXPECT_TRUE(d.issues.empty()) << c.name << "\n" << issuesOf(d);
        Notebook n = *d.notebook;
        c.expect(n);
        expectSame(n, original, c.name);
    }
}

TEST(NotebookFileDamage, FaultsOfStructureStillGiveNoNotebook) {
    const std::string text = NotebookFile::encode(sample());
    const std::pair<const char*, std::string> cases[] = {
        {"cut short", text.substr(0, text.size() / 2)},
        {"missing comma", replaced(text, "\"pace\":4,", "\"pace\":4 ")},
        {"trailing comma", replaced(text, "\"pace\":4,", "\"pace\":4,,")},
        {"bad literal", replaced(text, "\"spoken\":false", "\"spoken\":nope")},
        {"text after the notebook", text + "{}"},
        {"unterminated string", text.substr(0, text.find("Title") + 3)},
        {"nested too deep", replaced(text, "\"pace\":4", "\"pace\":4,\"x\":" + std::string(100, '[') + std::string(100, ']'))},
    };
    for (const auto& [name, bytes] : cases) {
        NotebookFile::Decoded d = NotebookFile::decode(bytes);
        EXPECT_FALSE(d.notebook) << name;
        ASSERT_EQ(d.issues.size(), 1u) << name;
        EXPECT_EQ(d.issues[0].rfind("not JSON: ", 0), 0u) << name << ": " << d.issues[0];
    }
}

// Every float the writer writes reads back to the same float (a double read in between
// would round twice), and reading the result again repairs nothing.
TEST(NotebookFileDamage, EveryFloatRoundTrips) {
    const float floats[] = {FLT_MAX,        -FLT_MAX,        FLT_MIN,         -FLT_MIN,
                            FLT_TRUE_MIN,   -FLT_TRUE_MIN,   0x1.fffffcp-127f, 0x1p-140f,
                            0x1.5c87fap-84f, 16777217.0f,    0.1f,            -0.0f,
                            1.1754942e-38f, 3.4028233e38f,   1e-7f,           123456.79f};
    Notebook n = sample();
    StrokeItem& s = std::get<StrokeItem>(n.pages[0].items[1].value);
    s.pts.clear();
    for (float f : floats) s.pts.insert(s.pts.end(), {f, f, f});
    const std::string text = NotebookFile::encode(n);
    EXPECT_NE(text.find("7.038531e-26"), std::string::npos);
    EXPECT_NE(text.find("3.4028235e+38"), std::string::npos);
    NotebookFile::Decoded d = NotebookFile::decode(text);
    ASSERT_TRUE(d.notebook);
    EXPECT_TRUE(d.issues.empty()) << issuesOf(d);
    const std::vector<float>& back = std::get<StrokeItem>(d.notebook->pages[0].items[1].value).pts;
    ASSERT_EQ(back.size(), s.pts.size());
    for (size_t i = 0; i < back.size(); ++i) {
        const float want = s.pts[i] == 0 ? 0.0f : s.pts[i];  // the writer folds -0 into 0
        EXPECT_EQ(std::memcmp(&back[i], &want, sizeof want), 0) << i << ": " << std::hexfloat << back[i];
    }
    EXPECT_EQ(NotebookFile::encode(*d.notebook), text);
}

TEST(NotebookFileDamage, HostileImageNamesAreDropped) {
    const Notebook original = sample();
    const std::string text = NotebookFile::encode(original);
    struct Case {
        std::string written;  // the JSON string as it stands in the file
        bool kept;
    };
    const Case cases[] = {
        {R"("sketch-1.png")", true},
        {R"("..png")", true},
        {R"("a b.png")", true},
        {R"("")", false},
        {R"(".")", false},
        {R"("..")", false},
        {R"("..\/..\/.ssh\/id_rsa")", false},
        {R"("\/etc\/passwd")", false},
        {R"("Sketches\/x.png")", false},
        {R"("x.png\u0000.txt")", false},
    };
    for (const Case& c : cases) {
        NotebookFile::Decoded d = NotebookFile::decode(replaced(text, R"("image":"sketch-1.png")", "\"image\":" + c.written));
        ASSERT_TRUE(d.notebook) << c.written;
        Notebook n = *d.notebook;
        EXPECT_EQ(blockOf(n).image.has_value(), c.kept) << c.written;
        EXPECT_EQ(d.issues.empty(), c.kept) << c.written << "\n" << issuesOf(d);
        if (!c.kept) {
            EXPECT_NE(issuesOf(d).find("items[2]: \"image\" is not a plain file name; dropped"), std::string::npos)
                << issuesOf(d);
            blockOf(n).image = "sketch-1.png";
            expectSame(n, original, c.written.c_str());
        }
    }
}

TEST(NotebookFileDamage, DuplicateIdsTakeFreshOnes) {
    const Notebook original = sample();
    const std::string text = NotebookFile::encode(original);
    const std::string firstId = kFirst.string(), secondId = kSecond.string();
    struct Case {
        const char* name;
        std::string bytes;
        const char* issue;
        size_t page, item;  // the item (or page, item = npos) that must get a fresh id
    };
    const size_t page = std::string::npos;
    const Case cases[] = {
        {"two items of one page", replaced(text, "\"id\":\"" + secondId, "\"id\":\"" + firstId),
         "pages[0].items[1]: has the id of an earlier item", 0, 1},
        {"items on two pages", replaced(text, "\"id\":\"66666666-6666-4666-8666-666666666666", "\"id\":\"" + firstId),
         "pages[1].items[0]: has the id of an earlier item", 1, 0},
        {"two pages", replaced(text, "55555555-5555-4555-8555-555555555555", "44444444-4444-4444-8444-444444444444"),
         "notebook.pages[1]: has the id of an earlier page", 1, page},
    };
    for (const Case& c : cases) {
        NotebookFile::Decoded d = NotebookFile::decode(c.bytes);
        ASSERT_TRUE(d.notebook) << c.name;
        EXPECT_NE(issuesOf(d).find(c.issue), std::string::npos) << c.name << "\n" << issuesOf(d);
        Notebook n = *d.notebook;
        Uuid fresh = c.item == page ? n.pages[c.page].id : n.pages[c.page].items[c.item].id();
        if (c.item == page) {
            EXPECT_NE(fresh, n.pages[0].id) << c.name;
            n.pages[c.page].id = original.pages[c.page].id;
        } else {
            EXPECT_NE(fresh, kFirst) << c.name;
            EXPECT_NE(fresh, kSecond) << c.name;
            std::visit([&](auto& item) { item.id = original.pages[c.page].items[c.item].id(); },
                       n.pages[c.page].items[c.item].value);
        }
        // The earlier one keeps its id, and nothing else changed.
        EXPECT_EQ(n.pages[0].items[0].id(), kFirst) << c.name;
        expectSame(n, original, c.name);
    }
}

TEST(NotebookFileDamage, SameTextUnderADecimalCommaLocale) {
    Notebook n = sample();
    n.pageH = 1600.25;
    noteOf(n).x = 12.5;
    const std::string plain = NotebookFile::encode(n);
    nolby::testing::DecimalComma comma;
    NOLBY_REQUIRE_DECIMAL_COMMA(comma);
    EXPECT_EQ(NotebookFile::encode(n), plain);
    NotebookFile::Decoded d = NotebookFile::decode(plain);
    ASSERT_TRUE(d.notebook);
    EXPECT_TRUE(d.issues.empty()) << issuesOf(d);
    EXPECT_EQ(d.notebook->pageH, 1600.25);
    EXPECT_EQ(noteOf(*d.notebook).x, 12.5);
}
