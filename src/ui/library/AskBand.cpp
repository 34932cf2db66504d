#include "ui/library/AskBand.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "ink/mag/Grain.h"
#include "ink/mag/PixelStair.h"
#include "ink/mag/PixelText.h"
#include "ink/mag/Symbols.h"
#include "ink/mag/TextBlock.h"
#include "platform/Canvas.h"
#include "platform/Resources.h"
#include "platform/Unicode.h"
#include "ui/CairoImage.h"
#include "ui/library/AskPage.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

constexpr double kPadTop = 84, kPadSide = 40, kPadBottom = 30, kGap = 44, kSpacing = 18;
constexpr double kHeadline = 82, kStair = 58, kHeadlineSize = 50;
constexpr double kRowPad = 6, kRowGap = 10, kCorner = 8, kFieldCorner = 29;
const char* const kDescription =
    "Ask a question. Nolby writes back in ink: pictures, maths and paintings, a page at a time.";

std::shared_ptr<const Font> futuraBold(double size) { return Mag::systemFont(Mag::kFuturaBoldStandIn, size); }
std::shared_ptr<const Font> questionFace(double size) {
    return Mag::ct(Mag::Face::fraunces, size, {{"wght", 470}, {"SOFT", 100}, {"opsz", size}, {"WONK", 1}});
}

chrome::Block description(double width) {
    return chrome::block(kDescription, [](double s) { return Mag::newsCT(s, 430, false); }, 18.5, 0, width, 12, 1);
}
constexpr double kDescriptionLeading = 2;  // extra space between the description's lines

// The italic the question is typed in, as Qt's own font: Qt draws the field.
QFont italicFont() {
    static const QString family = [] {
        const auto file = resources::folder() / "Fonts" / "Newsreader-Italic.ttf";
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file.string()));
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return families.isEmpty() ? QString() : families.front();
    }();
    QFont f = family.isEmpty() ? QFont() : QFont(family);
    f.setItalic(true);
    f.setPixelSize(static_cast<int>(QuestionField::kSize));
    return f;
}

void roundedRect(cairo_t* cr, const QRectF& r, double radius) {
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    radius = std::min({radius, w / 2, h / 2});
    cairo_new_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -std::numbers::pi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, std::numbers::pi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, x + radius, y + radius, radius, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

}  // namespace

// ---- The question field ----

QuestionField::QuestionField(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(italicFont());
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    setViewportMargins(static_cast<int>(kPadLeading), static_cast<int>(kPadVertical), 0, static_cast<int>(kPadVertical));
    setPlaceholderText("What do you want to learn?");
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Window, Qt::transparent);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor::fromRgbF(1, 1, 1, 0.5));
    p.setColor(QPalette::Highlight, QColor::fromRgbF(Mag::cyan.r, Mag::cyan.g, Mag::cyan.b, 0.45));
    p.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(p);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setCursorWidth(0);  // the caret is drawn in cyan by paintEvent
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        const int shown = lines();
        if (shown != lines_) {
            lines_ = shown;
            emit linesChanged();
        }
    });
}

int QuestionField::lines() const {
    int count = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && count <= kMaxLines; b = b.next())
        count += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    return std::clamp(count, 1, kMaxLines);
}

double QuestionField::leastWidth() const {
    return kPadLeading + fontMetrics().horizontalAdvance(placeholderText()) + 8;  // and the caret's room
}

double QuestionField::heightFor(int lines) const {
    return std::clamp(lines, 1, kMaxLines) * fontMetrics().lineSpacing() + 2 * kPadVertical;
}

void QuestionField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier)) {
            insertPlainText("\n");
            return;
        }
        event->accept();
        // A held Return repeats its key press: only the first begins an issue.
        if (!event->isAutoRepeat()) emit begin();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void QuestionField::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (!hasFocus()) return;
    QPainter p(viewport());
    const QRect caret = cursorRect();
    p.fillRect(QRect(caret.left(), caret.top(), 2, caret.height()), QColor::fromRgbF(Mag::cyan.r, Mag::cyan.g, Mag::cyan.b));
}

// ---- The begin button ----

BeginButton::BeginButton(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(kSide, kSide);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromUtf8("Begin a new issue \u2014 \u21A9"));
    setFocusPolicy(Qt::NoFocus);
}

void BeginButton::paintEvent(QPaintEvent*) {
    const QImage image = cairoImage(size(), devicePixelRatioF(), [&](cairo_t* cr) {
        const double r = kSide / 2.0;
        cairo_new_path(cr);
        cairo_arc(cr, r, r, r - 0.5, 0, 2 * std::numbers::pi);
        draw::setColor(cr, Mag::red.withAlpha(isDown() ? 0.75 : 0.92));
        cairo_fill_preserve(cr);
        // The glass: a soft light across the top and a thin bright rim.
        cairo_pattern_t* sheen = cairo_pattern_create_linear(0, 0, 0, kSide);
        cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.28);
        cairo_pattern_add_color_stop_rgba(sheen, 0.55, 1, 1, 1, 0);
        cairo_set_source(cr, sheen);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(sheen);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        symbols::draw(cr, symbols::Symbol::asterisk, {r, r}, 18, 0.85, Color{1, 1, 1, 1});
    });
    QPainter p(this);
    p.drawImage(QPointF(0, 0), image);
}

// ---- Starter lines ----

CoverLine::CoverLine(std::shared_ptr<const Clock> clock, QWidget* parent)
    : QAbstractButton(parent), clock_(clock ? std::move(clock) : SteadyClock::shared()) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    frames_.setInterval(8);
    connect(&frames_, &QTimer::timeout, this, [this] { animate(); });
    connect(this, &QAbstractButton::pressed, this, [this] { update(); });
    connect(this, &QAbstractButton::released, this, [this] { update(); });
}

double CoverLine::heightFor(const std::string& question, double width) {
    auto number = futuraBold(12);
    const double numberWidth = chrome::line("00", *number, 0).width();
    const chrome::Block q = chrome::block(question, questionFace, 19, 0, std::max(width - numberWidth - 12, 40.0), 6, 1);
    return std::max(q.height(), number->ascent() + number->descent() + number->leading());
}

void CoverLine::set(int number, const std::string& question, double width) {
    if (number == number_ && question == question_ && width == width_ && !image_.isNull()) return;
    number_ = number;
    question_ = question;
    width_ = width;
    setText(QString::fromStdString(question));
    const double height = heightFor(question, width);
    setFixedSize(static_cast<int>(std::ceil(width + 4)), static_cast<int>(std::ceil(height)));
    image_ = cairoImage(QSizeF(width, height), devicePixelRatioF(), [&](cairo_t* cr) {
        auto numberFont = futuraBold(12);
        const chrome::Line n = chrome::line(chrome::zeroPadded(number, 2), *numberFont, 0);
        const double numberWidth = chrome::line("00", *numberFont, 0).width();
        const chrome::Block q =
            chrome::block(question, questionFace, 19, 0, std::max(width - numberWidth - 12, 40.0), 6, 1);
        // Aligned on the first baseline.
        chrome::fill(cr, n, 0, q.ascent, Mag::cyan);
        chrome::fill(cr, q, numberWidth + 12, 0, Color{1, 1, 1, 1});
    });
    update();
}

void CoverLine::animate() {
    const double now = clock_->now();
    slide_.step(now - last_);
    last_ = now;
    if (slide_.settled()) frames_.stop();
    update();
}

void CoverLine::enterEvent(QEnterEvent*) {
    slide_.to(4, 0.3, 0.75);
    last_ = clock_->now();
    frames_.start();
}

void CoverLine::leaveEvent(QEvent*) {
    slide_.to(0, 0.3, 0.75);
    last_ = clock_->now();
    frames_.start();
}

void CoverLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setOpacity(isDown() ? 0.6 : 1);
    p.drawImage(QPointF(slide_.value, 0), image_);
}

// ---- The band ----

struct AskBand::Geometry {
    double height = 0;
    QRectF headline, description, row, field, button, contents;
    double headlineSize = kHeadlineSize;
    double headerHeight = 0;
    std::vector<QRectF> lines;
};

namespace {

PixelText headlineText(double size, double px) { return {"Learn anything.", size, px, 620, Color{1, 1, 1, 1}, 1}; }

}  // namespace

AskBand::AskBand(std::shared_ptr<Scheduler> scheduler, QWidget* parent)
    : QWidget(parent), scheduler_(std::move(scheduler)), today_([] { return ReferenceClock::now(); }) {
    field_ = new QuestionField(this);
    button_ = new BeginButton(this);
    for (int k = 0; k < 3; ++k) {
        auto* line = new CoverLine(scheduler_ ? scheduler_->clock() : nullptr, this);
        connect(line, &QAbstractButton::clicked, this, [this, line] {
            emit chose(QString::fromStdString(line->question()));
        });
        lines_.push_back(line);
    }
    connect(field_, &QuestionField::begin, this, &AskBand::begin);
    connect(button_, &QAbstractButton::clicked, this, &AskBand::begin);
    connect(field_, &QuestionField::linesChanged, this, [this] {
        place();
        emit heightChanged();
    });
    refreshLines();
}

void AskBand::setIssue(int64_t issue) {
    if (issue == issue_) return;
    issue_ = issue;
    update();
}

void AskBand::setToday(std::function<Date()> today) {
    today_ = std::move(today);
    refreshLines();
    update();
}

std::string AskBand::contentsHeader() const {
    return "NO. " + chrome::zeroPadded(std::max<int64_t>(issue_, 1), 3) + "  \u2022  " +
           Mag::quarter(ReferenceClock::toSys(today_())) + "  \u2022  OR START WITH";
}

void AskBand::refreshLines() {
    const auto questions = AskPage::today(today_());
    for (size_t k = 0; k < lines_.size(); ++k) lines_[k]->set(static_cast<int>(k * 12 + 4), questions[k], kContents);
}

AskBand::Geometry AskBand::geometry(double width) const {
    Geometry g;
    const double right = std::max(width - kPadSide, kPadSide + 200);
    const double leftWidth = std::max(right - kPadSide - kGap - kContents, 160.0);
    const chrome::Block desc = description(leftWidth);
    const double descHeight = desc.height() + kDescriptionLeading * std::max<double>(desc.lines.size() - 1.0, 0);
    const double fieldHeight = field_->heightFor(field_->lines());
    const double rowHeight = std::max(fieldHeight, double(BeginButton::kSide)) + 2 * kRowPad;
    // The headline takes its column's width at the most (measured sharp, with room for the
    // coarser steps of its resolve).
    const double natural = headlineText(kHeadlineSize, kResolve.back()).measure().width;
    if (natural > leftWidth) g.headlineSize = kHeadlineSize * leftWidth / natural * 0.96;
    // The question row wants its placeholder whole: in a column too narrow for that it goes
    // under both columns, across the band.
    const double leastRow = kRowPad + field_->leastWidth() + kRowGap + BeginButton::kSide + kRowPad;
    const bool rowBelow = leftWidth < leastRow;
    const double left = kHeadline + kSpacing + descHeight + (rowBelow ? 0 : kSpacing + rowHeight);

    auto header = futuraBold(11);
    g.headerHeight = header->ascent() + header->descent() + header->leading();
    double rightHeight = g.headerHeight;
    std::vector<double> lineHeights;
    for (const CoverLine* line : lines_) {
        lineHeights.push_back(CoverLine::heightFor(line->question(), kContents));
        rightHeight += 12 + lineHeights.back();
    }
    const double columns = std::max(left, rightHeight);
    const double content = columns + (rowBelow ? kSpacing + rowHeight : 0);
    g.height = kPadTop + content + kPadBottom;

    double y = kPadTop + columns - left;
    g.headline = QRectF(kPadSide, y, leftWidth, kHeadline);
    y += kHeadline + kSpacing;
    g.description = QRectF(kPadSide, y, leftWidth, descHeight);
    y += descHeight + kSpacing;
    if (rowBelow) y = kPadTop + columns + kSpacing;
    const double rowWidth = std::min(rowBelow ? right - kPadSide : leftWidth, kFieldMax);
    g.row = QRectF(kPadSide, y, rowWidth, rowHeight);
    g.button = QRectF(g.row.right() - kRowPad - BeginButton::kSide, g.row.center().y() - BeginButton::kSide / 2.0,
                      BeginButton::kSide, BeginButton::kSide);
    g.field = QRectF(g.row.left() + kRowPad, g.row.center().y() - fieldHeight / 2,
                     g.button.left() - kRowGap - g.row.left() - kRowPad, fieldHeight);

    const double cx = kPadSide + leftWidth + kGap;
    double cy = kPadTop + columns - rightHeight;
    g.contents = QRectF(cx, cy, kContents, rightHeight);
    cy += g.headerHeight;
    for (double h : lineHeights) {
        cy += 12;
        g.lines.emplace_back(cx, cy, kContents, h);
        cy += h;
    }
    return g;
}

QRectF AskBand::headlineFrame() const {
    const Geometry g = geometry(width());
    const Size hs = headlineText(g.headlineSize, resolve_).measure();
    return QRectF(g.headline.left(), g.headline.top() + (kHeadline - hs.height) / 2, hs.width, hs.height);
}

double AskBand::headlineSize() const { return geometry(width()).headlineSize; }

double AskBand::heightFor(double width) const { return geometry(width).height; }

void AskBand::place() {
    const Geometry g = geometry(width());
    field_->setGeometry(g.field.toAlignedRect());
    button_->move(g.button.topLeft().toPoint());
    for (size_t k = 0; k < lines_.size() && k < g.lines.size(); ++k) lines_[k]->move(g.lines[k].topLeft().toPoint());
    update();
}

void AskBand::resizeEvent(QResizeEvent*) { place(); }

void AskBand::showEvent(QShowEvent*) {
    refreshLines();
    // The headline resolves from coarse to sharp each time the band comes on screen.
    resolving_.cancel();
    resolve_ = kResolve.front();
    update();
    stepResolve(1);
}

void AskBand::hideEvent(QHideEvent*) {
    // Going away part-way: the remaining steps run at once, so the headline rests sharp.
    resolving_.cancel();
    resolve_ = kResolve.back();
}

void AskBand::stepResolve(size_t next) {
    if (!scheduler_ || next >= kResolve.size()) {
        if (!scheduler_) resolve_ = kResolve.back();
        return;
    }
    QPointer<AskBand> self(this);
    resolving_ = scheduler_->after(kResolveStep, [self, next] {
        if (!self) return;
        self->resolve_ = kResolve[next];
        self->update();
        self->stepResolve(next + 1);
    });
}

void AskBand::paintEvent(QPaintEvent*) {
    const std::string header = contentsHeader();
    const double ratio = devicePixelRatioF();
    const bool stale = image_.isNull() || drawnSize_ != size() || drawnHeader_ != header || image_.devicePixelRatio() != ratio;
    // The band lies under the top row of covers, so it is repainted with them: a repaint
    // that changes nothing here only lays the two images down again, without laying out.
    if (stale || headline_.isNull() || drawnResolve_ != resolve_) {
        const Geometry g = geometry(width());
        const double W = width(), H = height();
        // The headline's strip: redrawn at each step of its resolve, the rest of the band kept.
        const QRectF strip(0, g.headline.top(), std::max(g.contents.left() - kGap / 2, 1.0), kHeadline);
        if (stale) {
            image_ = cairoImage(size(), ratio, [&](cairo_t* cr) {
                roundedRect(cr, QRectF(0, 0, W, H), kCorner);
                cairo_clip(cr);
                draw::setColor(cr, Mag::black);
                cairo_paint(cr);
                PixelStair{9, 9}.draw(cr, {0, 0, W, kStair});

                const chrome::Block desc = description(g.description.width());
                for (size_t i = 0; i < desc.lines.size(); ++i)
                    chrome::fill(cr, desc.lines[i], g.description.left(),
                                 g.description.top() + desc.ascent + i * (desc.lineHeight + kDescriptionLeading),
                                 Color{1, 1, 1, 0.78});

                // The field's glass: a faint light panel with a thin rim, dark whatever the desk.
                roundedRect(cr, g.row, kFieldCorner);
                cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
                cairo_fill_preserve(cr);
                cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);

                const chrome::Line top = chrome::line(header, *futuraBold(11), 1.2, g.contents.width());
                chrome::fill(cr, top, g.contents.left(), g.contents.top() + top.ascent, Color{1, 1, 1, 1});
                Grain{0.25}.draw(cr, {0, 0, W, H});
            });
            drawnSize_ = size();
            drawnHeader_ = header;
        }
        // A new size may scale the headline, so it is drawn again with the band.
        headline_ = cairoImage(strip.size(), ratio, [&](cairo_t* cr) {
            draw::translate(cr, 0, -strip.top());
            draw::clipRect(cr, {strip.left(), strip.top(), strip.width(), strip.height()});
            draw::setColor(cr, Mag::black);
            cairo_paint(cr);
            const PixelText headline = headlineText(g.headlineSize, resolve_);
            const Size hs = headline.measure();
            headline.draw(cr, {g.headline.left(), g.headline.top() + (kHeadline - hs.height) / 2});
            Grain{0.25}.draw(cr, {0, 0, W, H});  // the band's own grain, in register with the rest
        });
        drawnResolve_ = resolve_;
        drawnStrip_ = strip.topLeft();
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), image_);
    p.drawImage(drawnStrip_, headline_);
}

}  // namespace nolby
