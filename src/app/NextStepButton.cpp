#include "app/NextStepButton.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace nolby {

namespace {

using Kind = NotebookModel::Way::Kind;

constexpr double inset = 4 + 10;  // the label's inset plus the capsule's own padding
constexpr double gap = 6;
constexpr double side = 13;  // an icon's square
constexpr double titleWidth = 170;

QFont labelFont(bool bold) {
    QFont f;
    f.setPixelSize(13);
    f.setWeight(bold ? QFont::DemiBold : QFont::Normal);
    return f;
}

// Small vector glyphs of ours for the cue's icon, drawn in a square of side `s` at `at`.
void drawAsterisk(QPainter& p, QPointF c, double s) {
    for (int i = 0; i < 3; ++i) {
        const double a = M_PI / 2 + i * M_PI / 3;
        const QPointF d(std::cos(a) * s / 2, -std::sin(a) * s / 2);
        p.drawLine(c - d, c + d);
    }
}

void drawPencil(QPainter& p, QPointF c, double s) {
    QPainterPath path;
    path.moveTo(c + QPointF(-s * 0.45, s * 0.45));
    path.lineTo(c + QPointF(-s * 0.3, s * 0.05));
    path.lineTo(c + QPointF(s * 0.25, -s * 0.5));
    path.lineTo(c + QPointF(s * 0.5, -s * 0.25));
    path.lineTo(c + QPointF(-s * 0.05, s * 0.3));
    path.closeSubpath();
    p.drawPath(path);
}

void drawChevronDown(QPainter& p, QPointF c, double s) {
    QPainterPath path;
    path.moveTo(c + QPointF(-s * 0.35, -s * 0.15));
    path.lineTo(c + QPointF(0, s * 0.2));
    path.lineTo(c + QPointF(s * 0.35, -s * 0.15));
    p.drawPath(path);
}

// The tutor's thinking mark, small and white: three dots about a centre.
void drawThinking(QPainter& p, QPointF c, double s) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i) {
        const double a = i * 2 * M_PI / 3 - M_PI / 2;
        p.drawEllipse(c + QPointF(std::cos(a) * s * 0.3, std::sin(a) * s * 0.3), s * 0.13, s * 0.13);
    }
    p.restore();
}

}  // namespace

NextStepButton::NextStepButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);  // the sheet keeps the keyboard
    setCue(Way::next(std::nullopt), 0);
}

QString NextStepButton::words(const Way& cue) {
    switch (cue.kind) {
        case Kind::skip: return QStringLiteral("Skip Question");
        case Kind::turn: return QStringLiteral("Read On");
        case Kind::writing: return QStringLiteral("Writing");
        case Kind::reading: return QStringLiteral("Reading");
        case Kind::ask: return QStringLiteral("Ask");
        case Kind::next: return QStringLiteral("Next");
    }
    return {};
}

QString NextStepButton::help(const Way& cue) {
    switch (cue.kind) {
        case Kind::skip: return QStringLiteral("Move on without answering (it comes back later as a warm-up) — Ctrl+Return");
        case Kind::turn: return QStringLiteral("Read on — Ctrl+Return");
        case Kind::writing: return QStringLiteral("Write the rest at once — Ctrl+Return");
        case Kind::reading: return QStringLiteral("The tutor is reading what you wrote");
        case Kind::ask: return QStringLiteral("Ask the tutor — Return");
        case Kind::next: return QStringLiteral("The tutor writes the next part — Return");
    }
    return {};
}

bool NextStepButton::prominent(const Way& cue) { return cue.kind != Kind::skip && cue.kind != Kind::turn; }
bool NextStepButton::prominent() const { return prominent(cue_); }

std::optional<QColor> NextStepButton::tint() const {
    if (!prominent()) return std::nullopt;
    return ink_;
}

void NextStepButton::setCue(const Way& cue, uint32_t ink) {
    const QColor color((ink >> 16) & 0xFF, (ink >> 8) & 0xFF, ink & 0xFF);
    if (cue == cue_ && color == ink_ && !text().isEmpty()) return;
    cue_ = cue;
    ink_ = color;
    setText(label());
    setToolTip(help(cue_));
    setAccessibleName(label());
    updateGeometry();
    update();
}

QString NextStepButton::title() const {
    if (cue_.kind != Kind::next || !cue_.label || cue_.label->empty()) return {};
    return QFontMetricsF(labelFont(false)).elidedText(QString::fromStdString(*cue_.label), Qt::ElideRight, titleWidth);
}

QString NextStepButton::label() const {
    const QString t = title();
    return t.isEmpty() ? words(cue_) : words(cue_) + QLatin1Char(' ') + t;
}

QSize NextStepButton::sizeHint() const {
    const QFontMetricsF bold(labelFont(true)), plain(labelFont(false));
    double w = inset * 2 + bold.horizontalAdvance(words(cue_));
    if (cue_.kind != Kind::skip) w += gap + side;
    if (const QString t = title(); !t.isEmpty()) w += gap + plain.horizontalAdvance(t);
    return QSize(static_cast<int>(std::ceil(w)), 30);
}

void NextStepButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fg(30, 30, 30);
    if (prominent()) {
        QColor fill = ink_;
        if (isDown()) fill = fill.darker(115);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
        fg = Qt::white;
    } else if (underMouse() || isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, isDown() ? 30 : 16));
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
    QPen pen(fg, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double cy = height() / 2.0;
    double x = inset;
    auto glyph = [&](auto draw, double size) {
        draw(p, QPointF(x + side / 2, cy), size);
        x += side + gap;
    };
    auto write = [&](const QString& s, bool bold, double opacity) {
        p.setFont(labelFont(bold));
        p.setOpacity(opacity);
        p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, s);
        x += QFontMetricsF(labelFont(bold)).horizontalAdvance(s) + gap;
        p.setOpacity(1);
    };
    switch (cue_.kind) {
        case Kind::skip: write(words(cue_), true, 1); break;
        case Kind::turn:
            write(words(cue_), true, 1);
            glyph(drawChevronDown, 11);
            break;
        case Kind::writing: glyph(drawPencil, side); write(words(cue_), true, 1); break;
        case Kind::reading: glyph(drawThinking, 15); write(words(cue_), true, 1); break;
        case Kind::ask: glyph(drawAsterisk, side); write(words(cue_), true, 1); break;
        case Kind::next:
            glyph(drawAsterisk, 12);
            write(words(cue_), true, 1);
            if (const QString t = title(); !t.isEmpty()) write(t, false, 0.8);
            break;
    }
}

std::unique_ptr<QMenu> NextStepButton::contextMenu() {
    if (!prominent() || (cue_.kind != Kind::writing && cue_.kind != Kind::reading)) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    QAction* stop = menu->addAction(QStringLiteral("Stop Writing"));
    connect(stop, &QAction::triggered, this, [this] {
        if (onStopWriting) onStopWriting();
    });
    return menu;
}

void NextStepButton::contextMenuEvent(QContextMenuEvent* event) {
    if (std::unique_ptr<QMenu> menu = contextMenu()) menu->exec(event->globalPos());
    event->accept();
}

}  // namespace nolby
