// Golden ink: a fixed corpus (the gallery of drawing operations, formulas of every
// construct, handwriting in the three faces with every kind of markup, every reply block
// kind and stored annotation, figures of every kind and a few pen strokes) is laid out and
// compared with the expectations in tests/fixtures/golden/, so no change drifts the ink
// unnoticed.
//
// For each case the expectation holds its op dump (one JSON line per operation, as
// nolby-ink prints them, plus "shape": the number of outline elements and a digest of
// their points at 1/64 pt), the layout's height and rooms, and a coarse picture of the
// rendered pixels: the ink coverage of every 20 x 20 pixel cell at t = 1, "." for none,
// 1 to 9 for a little to full.
//
// When the ink changes on purpose, regenerate the expectations and commit them with a
// message that says why the ink changed:
//     NOLBY_GOLDEN_UPDATE=1 build/bin/ink_tests --gtest_filter='GoldenInk.*'
#include "Gallery.h"
#include "OpsJson.h"
#include "ink/Faces.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "ink/math/MathInk.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/InkStrokeOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/NumberText.h"
#include "support/DecimalComma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace nolby;

namespace {

struct Case {
    std::string name;
    std::vector<InkOpRef> ops;
    Rect area;          // what is rendered for the pixel picture
    std::string after;  // lines written after the operations (extent, height and rooms)
};

// ---- Dumping

struct Digest {
    uint64_t h = 1469598103934665603ull;
    size_t elements = 0;
    void add(int64_t v) {
        for (int i = 0; i < 8; ++i) {
            h ^= static_cast<uint8_t>(v >> (8 * i));
            h *= 1099511628211ull;
        }
    }
    void add(const Path& path, double dx = 0, double dy = 0) {
        for (const Path::Element& e : path.elements()) {
            ++elements;
            add(static_cast<int64_t>(e.verb));
            for (int i = 0; i < e.count(); ++i) {
                add(std::llround((e.pts[i].x + dx) * 64));
                add(std::llround((e.pts[i].y + dy) * 64));
            }
        }
    }
    std::string text() const {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(h ^ (h >> 32)));
        return std::to_string(elements) + ":" + hex;
    }
};

// The outline of an operation's innermost drawing: paths, glyph outlines at their places.
std::optional<std::string> shapeOf(const InkOp& op) {
    const InkOp* base = op.placement().base.get();
    Digest d;
    if (auto s = dynamic_cast<const StrokeOp*>(base)) d.add(s->path);
    else if (auto f = dynamic_cast<const FillOp*>(base)) d.add(f->path);
    else if (auto k = dynamic_cast<const InkStrokeOp*>(base)) d.add(k->path);
    else if (auto t = dynamic_cast<const TextOp*>(base)) d.add(t->glyphs.path, t->x, t->y);
    else if (auto p = dynamic_cast<const PhraseOp*>(base))
        for (const auto& run : p->runs) d.add(run.glyphs.path, run.x, run.y);
    else if (auto m = dynamic_cast<const MonoOp*>(base))
        for (const auto& cell : m->cells()) d.add(cell.glyphs.path);
    else return std::nullopt;
    return d.text();
}

std::string opLine(const InkOp& op) {
    std::string line = tools::opJson(op);
    if (std::optional<std::string> shape = shapeOf(op)) {
        line.pop_back();
        line += ",\"shape\":\"" + *shape + "\"}";
    }
    return line;
}

uint32_t paperPixel() {
    Canvas canvas(1, 1, 1);
    canvas.fill(Ink::paper);
    cairo_surface_flush(canvas.surface());
    return *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(canvas.surface()));
}

// The ink coverage of 20-pixel cells: the share of pixels that differ clearly from paper.
std::string pixelPicture(const Case& c) {
    if (c.area.isNull() || !(c.area.w >= 1) || !(c.area.h >= 1)) return "pixels none\n";
    const Rect a = c.area;
    Canvas canvas(std::min(a.w, 2000.0), std::min(a.h, 2000.0), 1);
    canvas.fill(Ink::paper);
    draw::translate(canvas.cr(), -a.x, -a.y);
    for (const auto& op : c.ops) op->draw(canvas.cr(), 1);
    cairo_surface_flush(canvas.surface());
    const int w = canvas.pixelWidth(), h = canvas.pixelHeight();
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const uint32_t paper = paperPixel();
    auto inked = [&](int x, int y) {
        const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x);
        int diff = 0;
        for (int shift = 0; shift < 24; shift += 8)
            diff += std::abs(static_cast<int>((p >> shift) & 0xff) - static_cast<int>((paper >> shift) & 0xff));
        return diff > 48;
    };
    constexpr int cell = 20;
    std::string out = "pixels " + std::to_string(w) + "x" + std::to_string(h) + "\n";
    for (int cy = 0; cy < h; cy += cell) {
        out += "  ";
        for (int cx = 0; cx < w; cx += cell) {
            int count = 0, total = 0;
            for (int y = cy; y < std::min(cy + cell, h); ++y)
                for (int x = cx; x < std::min(cx + cell, w); ++x, ++total) count += inked(x, y);
            out += count == 0 ? '.' : static_cast<char>('1' + std::min(8, count * 9 / std::max(total, 1)));
        }
        out += "\n";
    }
    return out;
}

std::string dump(const std::vector<Case>& cases) {
    std::string out;
    for (const Case& c : cases) {
        out += "== " + c.name + "\n";
        for (const auto& op : c.ops) out += opLine(*op) + "\n";
        out += c.after;
        out += pixelPicture(c);
    }
    return out;
}

// ---- The corpus

Rect boundsOf(const std::vector<InkOpRef>& ops) {
    Rect r = Rect::null();
    for (const auto& op : ops) r = r.united(op->bounds());
    return r.isNull() ? r : r.standardized().insetBy(-6, -6);
}

std::string laidLine(const Laid& laid) { return tools::laidJson(laid) + "\n"; }

std::vector<Case> galleryGroup() {
    std::vector<Case> cases;
    for (const tools::GalleryCase& g : tools::galleryCases())
        cases.push_back({g.name, g.ops, Rect{0, 0, g.width, g.height}, ""});
    return cases;
}

std::vector<Case> mathGroup() {
    struct Formula {
        const char* name;
        const char* tex;
        bool display;
    };
    const Formula formulas[] = {
        {"symbols", R"(x + y - z = 2 \cdot 3 \times 4 \div 5 \pm 6)", false},
        {"scripts", R"(x^2 + y_i + z_{ij}^{n+1} + f'(x) + g''(t) + a²b₃)", false},
        {"fractions", R"(\frac{a+b}{2} = \dfrac{1}{3} + \tfrac{x}{y} + \cfrac{1}{1+\frac{1}{x}})", true},
        {"binomial", R"(\binom{n}{k} = \frac{n!}{k!(n-k)!})", true},
        {"roots", R"(\sqrt{2} + \sqrt[3]{x^2+1} + \sqrt{\frac{a}{b}})", true},
        {"big operators", R"(\sum_{i=1}^{n} i + \prod_{k} a_k + \int_0^1 x^2\,dx + \oint_C f + \iint_D g)", true},
        {"limits placement", R"(\lim_{x \to 0} \frac{\sin x}{x} + \max_{i} a_i + \sum\limits_{i} b + \int\nolimits_0^1 c)", true},
        {"inline operators", R"(\sum_{i=1}^{n} i = \int_0^1 f)", false},
        {"fences", R"(\left( \frac{1}{2} \right) \left[ x \right] \left\{ y \right\} \left| z \right| \left\| v \right\| \left\langle u \right\rangle)", true},
        {"open fence and middle", R"(\left. \frac{df}{dx} \right|_{x=0} + \left( a \middle| b \right))", true},
        {"sized delimiters", R"(\big( \Big[ \bigg\{ x \bigg\} \Big] \big) \bigl( y \bigr))", false},
        {"accents", R"(\hat{a} \widehat{ab} \bar{x} \overline{xy} \vec{F} \overrightarrow{AB} \dot{x} \ddot{y} \tilde{n} \widetilde{nm} \underline{u} \not= )", true},
        {"text and names", R"(\text{area } A = \mathrm{d}x \, \operatorname{sgn}(x) \sin x \log_2 y \gcd(a,b))", false},
        {"fonts", R"(\mathbf{v} \in \mathbb{R}^3, \mathcal{L}, \mathit{it}, \boldsymbol{\alpha})", false},
        {"greek and symbols", R"(\alpha\beta\gamma\delta\pi\theta\lambda\omega \Gamma\Delta\Omega \infty \partial \nabla \hbar \ell \emptyset)", false},
        {"relations and arrows", R"(a \le b \ge c \ne d \approx e \equiv f \sim g \propto h \to i \Rightarrow j \iff k \mapsto l \in S \subseteq T)", false},
        {"spaces", R"(a\,b\;c\!d\quad e\qquad f \thinspace g)", false},
        {"colour and notes", R"(\note{red}{slope}{m} x + \note{blue}{intercept}{c} = \textcolor{green}{y} + \color{orange} z)", true},
        {"quadratic formula", R"(x = \frac{-b \pm \sqrt{b^2 - 4ac}}{2a})", true},
    };
    std::vector<Case> cases;
    uint64_t seed = 11;
    for (const Formula& f : formulas) {
        MathInk ink(seed++);
        std::vector<InkOpRef> ops;
        std::vector<MathInk::Note> notes;
        MathInk::Extent e = ink.draw(f.tex, 22, Ink::ink, f.display, 10, 60, ops, notes);
        std::string after = "extent " + NumberText::trimmed(e.w, 4) + " " + NumberText::trimmed(e.a, 4) + " " +
                            NumberText::trimmed(e.d, 4) + "\n";
        for (const MathInk::Note& n : notes)
            after += "note " + tools::quoted(n.label) + " " + n.color.hexString() + " [" + NumberText::trimmed(n.box.x, 4) +
                     "," + NumberText::trimmed(n.box.y, 4) + "," + NumberText::trimmed(n.box.w, 4) + "," +
                     NumberText::trimmed(n.box.h, 4) + "]\n";
        cases.push_back({f.name, ops, Rect{0, 0, std::max(40.0, e.w + 20), 60 + e.d + 20}, after});
    }
    return cases;
}

std::vector<Case> handGroup() {
    const std::string markup =
        "Plain words, **a highlight**, __underlined__, ~~wavy~~, ((ringed words)), $x^2 + 1$, `code span`, "
        "{red: red words} and **{violet: a violet highlight}**; *italic* and \\$5.\nA second line after a break.";
    struct Face {
        const char* name;
        Faces::Face face;
    };
    const Face faces[] = {{"hand", Faces::Face::hand}, {"scrawl", Faces::Face::scrawl}, {"round", Faces::Face::round}};
    std::vector<Case> cases;
    uint64_t seed = 101;
    for (const Face& f : faces) {
        Hand hand(seed++);
        Hand::Result r = hand.write(markup, 24, 0, 352, 17, Ink::ink, f.face);
        cases.push_back({std::string("markup in ") + f.name, r.ops, Rect{0, -10, 400, r.height + 30},
                         "height " + NumberText::trimmed(r.height, 4) + "\n"});
    }
    Hand right(200);
    Hand::Result r = right.write("aligned right, in pencil", 24, 0, 352, 14.5, Ink::pencil, Faces::Face::hand,
                                 std::nullopt, Hand::Align::right);
    cases.push_back({"right aligned", r.ops, Rect{0, -10, 400, r.height + 30}, "height " + NumberText::trimmed(r.height, 4) + "\n"});
    return cases;
}

// A small painting: a warm ground with a blue square on it.
std::shared_ptr<const Image> painting() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 48);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0.95, 0.8, 0.6);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.8);
    cairo_rectangle(cr, 8, 8, 24, 24);
    cairo_fill(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

std::vector<Case> blocksGroup() {
    Faces::registerFrom();
    const Blocks blocks{{400, 869}, Color::hex(0x1971c2)};
    const char* replies[][2] = {
        {"heading", R"j({"t":"h","text":"Fractions of a whole","c":"blue"})j"},
        {"paragraph", R"j({"t":"p","text":"Half of a half is a **quarter**: $\\frac{1}{2} \\times \\frac{1}{2} = \\frac{1}{4}$."})j"},
        {"math", R"j({"t":"math","tex":"\\note{red}{rise}{\\Delta y} / \\note{blue}{run}{\\Delta x}"})j"},
        {"math boxed", R"j({"t":"math","tex":"E = mc^2","box":true})j"},
        {"list", R"j({"t":"list","items":["one half","two quarters","four *eighths*"]})j"},
        {"quote", R"j({"t":"quote","text":"Imagination is more important than knowledge.","by":"Einstein"})j"},
        {"note", R"j({"t":"note","text":"Remember: the denominator counts the parts.","c":"pink"})j"},
        {"aside", R"j({"t":"aside","text":"An aside, written smaller in pencil."})j"},
        {"code", R"j({"t":"code","lang":"py","text":"def half(x):\n    return x / 2  # exact\n\nprint(half(3))","hl":[{"line":1,"from":11,"to":16}],"notes":[{"line":0,"text":"a function"}]})j"},
        {"code transcript", R"j({"t":"code","lines":[">>> 1 / 2","0.5",">>> 2 ** 10","1024"]})j"},
        {"ask", R"j({"t":"ask","text":"What is half of *six*?","space":60})j"},
        {"sketch without painting", R"j({"t":"sketch","caption":"a cat on a mat","h":50})j"},
        {"figure block", R"j({"t":"fig","h":40,"caption":"a triangle","items":[{"k":"poly","pts":[[20,35],[50,5],[80,35]],"fill":"yellow"}]})j"},
        {"page turn", R"j({"t":"pto"})j"},
        {"link", R"j({"t":"link","from":[60,120],"to":[300,20],"text":"continued above"})j"},
    };
    std::vector<Case> cases;
    uint64_t seed = 1001;
    for (const auto& [name, json] : replies) {
        Laid laid = blocks.lay(*J::parse(json), seed++);
        Rect area{0, -10, 400, std::max(laid.height, 20.0) + 30};
        cases.push_back({name, laid.ops, area.united(boundsOf(laid.ops)), laidLine(laid)});
    }
    Laid painted = blocks.lay(*J::parse(R"({"t":"sketch","caption":"with its painting","h":50})"), seed++, painting());
    cases.push_back({"sketch with painting", painted.ops, Rect{0, -10, 400, painted.height + 30}, laidLine(painted)});

    const Rect box{60, 40, 120, 24};
    const char* marks[] = {"tick", "cross", "circle", "underline", "wavy", "star", "arrow"};
    for (const char* kind : marks) {
        std::string json = std::string(R"({"t":"mark","kind":")") + kind + R"(","note":"look"})";
        auto ops = blocks.mark(*J::parse(json), box, seed++);
        cases.push_back({std::string("mark ") + kind, ops, Rect{0, 0, 400, 120}, ""});
    }
    auto dive = blocks.dive(*J::parse(R"({"t":"hole","r":[[60,40,120,24],[60,66,80,24]]})"), box, seed++);
    cases.push_back({"dive hole", dive, Rect{0, 0, 400, 120}, ""});
    return cases;
}

std::vector<Case> figuresGroup() {
    Faces::registerFrom();
    const Blocks blocks{{400, 869}, Color::hex(0x1971c2)};
    const char* figures[][2] = {
        {"lines and arrows", R"j([{"k":"line","pts":[[5,5],[40,30]]},{"k":"arrow","pts":[[50,30],[95,5]],"arrow":"<>"},{"k":"line","x1":5,"y1":35,"x2":95,"y2":35,"dash":true}])j"},
        {"shapes", R"j([{"k":"rect","x":5,"y":5,"w":25,"h":20,"fill":"blue"},{"k":"box","x":35,"y":5,"w":25,"h":20,"ruled":true},{"k":"circle","x":75,"y":15,"r":10,"fill":"pink"},{"k":"ellipse","x":50,"y":33,"rx":20,"ry":5}])j"},
        {"polygon and path", R"j([{"k":"poly","pts":[[5,35],[25,5],[45,35]],"fill":"green"},{"k":"path","d":"M55 35 C60 0 90 0 95 35 Z","fill":"orange","smooth":true}])j"},
        {"dots, text and labels", R"j([{"k":"dot","x":10,"y":10,"r":2},{"k":"text","x":50,"y":12,"text":"centred text","align":"c"},{"k":"label","x":20,"y":30,"text":"a label"}])j"},
        {"doodles", R"j([{"k":"doodle","name":"heart","x":15,"y":20,"s":10,"c":"pink"},{"k":"doodle","name":"star","x":50,"y":20,"s":10},{"k":"doodle","name":"sun","x":85,"y":20,"s":10}])j"},
        {"axes and plot", R"j([{"k":"axes","x":10,"y":5,"w":80,"h":40,"xl":"x","yl":"y"},{"k":"plot","f":"sin(x)","x0":-3,"x1":3,"y0":-1.5,"y1":1.5,"box":[10,5,80,40]}])j"},
        {"brace", R"j([{"k":"brace","x1":10,"y1":30,"x2":90,"y2":30,"text":"the whole"}])j"},
        {"cells", R"j([{"k":"cells","vals":[1,2,3,4,5,6],"hl":[2],"idx":true,"groups":[{"from":0,"to":2,"label":"first three","c":"blue"}],"ptr":[{"at":4,"text":"here"}]}])j"},
        {"number line", R"j([{"k":"numberline","from":0,"to":2,"step":0.5,"minor":4,"points":[0.5,1.5],"jumps":[{"from":0.5,"to":1.5,"text":"+1"}],"ranges":[{"from":1,"to":2}]}])j"},
        {"pie", R"j([{"k":"pie","parts":[1,2,3],"fill":[0],"fc":true,"cs":["","","blue"],"text":["a","b","c"]}])j"},
        {"table", R"j([{"k":"table","head":["n","n²"],"rows":[["1","1"],["2","4"],["3","9"]],"hl":[1]}])j"},
        {"bars", R"j([{"k":"bars","vals":[3,5,2,4],"labels":["a","b","c","d"],"hl":[1],"show":true}])j"},
        {"tree", R"j([{"k":"tree","root":{"text":"12","kids":[{"text":"3","kids":[{"text":"3"}]},{"text":"4","kids":[{"text":"2"},{"text":"2"}]}]}}])j"},
        {"flow", R"j([{"k":"flow","steps":["start","think","write"],"edges":["then","and"],"dir":"right"}])j"},
        {"flow cycle", R"j([{"k":"flow","steps":["rain","river","sea","cloud"],"dir":"cycle","shape":"circle","h":54}])j"},
        {"dots grid", R"j([{"k":"dots","rows":3,"cols":5,"fill":7,"fc":"red","group":5}])j"},
    };
    std::vector<Case> cases;
    uint64_t seed = 5001;
    for (const auto& [name, items] : figures) {
        std::string json = std::string(R"({"t":"fig","h":60,"items":)") + items + "}";
        Laid laid = blocks.lay(*J::parse(json), seed++);
        cases.push_back({name, laid.ops, Rect{0, -10, 400, laid.height + 30}, laidLine(laid)});
    }
    return cases;
}

std::vector<Case> strokesGroup() {
    struct Stroke {
        std::vector<float> pts;
        std::string color, tool;
        double width;
    };
    std::vector<Stroke> strokes;
    Stroke swirl{{}, "ink", "pen", 3};
    for (int i = 0; i <= 80; ++i) {
        const double a = i / 80.0 * 3 * M_PI;
        swirl.pts.insert(swirl.pts.end(), {static_cast<float>(60 + 3 * a * std::cos(a)), static_cast<float>(60 + 3 * a * std::sin(a)),
                                           static_cast<float>(0.3 + 0.6 * (i % 20) / 20.0)});
    }
    strokes.push_back(swirl);
    Stroke plain{{}, "blue", "pen", 2.5};  // no pressure: width from speed
    for (int i = 0; i <= 50; ++i)
        plain.pts.insert(plain.pts.end(), {static_cast<float>(120 + 4 * i), static_cast<float>(60 + 20 * std::sin(i / 6.0)), 0.5f});
    strokes.push_back(plain);
    Stroke marker{{}, "yellow", "marker", 14};
    for (int i = 0; i <= 30; ++i) marker.pts.insert(marker.pts.end(), {static_cast<float>(20 + 10 * i), 100, 0.7f});
    strokes.push_back(marker);
    std::vector<InkOpRef> ops;
    for (const Stroke& s : strokes)
        ops.push_back(std::make_shared<InkStrokeOp>(PenStroke{s.pts, s.color, s.width, s.tool}, Ink::ink));
    return {{"learner strokes", ops, Rect{0, 0, 360, 130}, ""}};
}

struct Group {
    const char* name;
    std::function<std::vector<Case>()> make;
};

const Group kGroups[] = {
    {"gallery", galleryGroup}, {"math", mathGroup},       {"hand", handGroup},
    {"blocks", blocksGroup},   {"figures", figuresGroup}, {"strokes", strokesGroup},
};

// ---- Comparing

std::filesystem::path fixture(const char* group) {
    return std::filesystem::path(NOLBY_SOURCE_DIR) / "tests" / "fixtures" / "golden" / (std::string(group) + ".txt");
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first case whose dump differs, with its expected and actual lines side by side.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string el, al, currentCase;
    for (int line = 1;; ++line) {
        bool moreE = static_cast<bool>(std::getline(e, el)), moreA = static_cast<bool>(std::getline(a, al));
        if (!moreE && !moreA) return "";
        if (moreA && al.rfind("== ", 0) == 0) currentCase = al;
        if (moreE != moreA || el != al)
            return "first difference at line " + std::to_string(line) + " (case " + currentCase.substr(3) + ")\n  expected: " +
                   (moreE ? el : "(end)") + "\n  actual:   " + (moreA ? al : "(end)");
    }
}

bool updating() {
    const char* v = std::getenv("NOLBY_GOLDEN_UPDATE");
    return v && std::string(v) == "1";
}

}  // namespace

TEST(GoldenInk, EveryCaseMatchesItsExpectation) {
    Faces::registerFrom();
    for (const Group& g : kGroups) {
        const std::string actual = dump(g.make());
        const std::filesystem::path file = fixture(g.name);
        if (updating()) {
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << actual;
            std::cout << "wrote " << file.string() << "\n";
            continue;
        }
        const std::string expected = readFile(file);
        ASSERT_FALSE(expected.empty()) << "no expectations in " << file.string()
                                       << "; make them with NOLBY_GOLDEN_UPDATE=1 (see GoldenInkTest.cpp)";
        EXPECT_TRUE(expected == actual) << "the ink of group \"" << g.name << "\" changed: " << firstDifference(expected, actual)
                                        << "\nIf the change is meant, regenerate with NOLBY_GOLDEN_UPDATE=1 and say why the ink "
                                           "changed in the commit.";
    }
}

// Same ink, same dump and same timing text, whatever the locale the application runs in.
TEST(GoldenInk, SameDumpUnderADecimalCommaLocale) {
    Faces::registerFrom();
    std::vector<std::string> plain;
    for (const Group& g : kGroups) plain.push_back(dump(g.make()));
    nolby::testing::DecimalComma comma;
    NOLBY_REQUIRE_DECIMAL_COMMA(comma);
    for (size_t i = 0; i < std::size(kGroups); ++i)
        EXPECT_EQ(firstDifference(plain[i], dump(kGroups[i].make())), "") << kGroups[i].name;
}
