#pragma once
// The ask band: the black card at the top of the shelf where a new issue is begun. A pixel
// stair along its top, the headline "Learn anything." sharpening from coarse pixels each
// time the band comes on screen, a line about the product, the question field with its
// begin button, and a small contents list: the next issue's dateline and the day's three
// starter questions. Return, the begin button or a starter question all begin.

#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/Scheduler.h"
#include "ui/library/Spring.h"

#include <QAbstractButton>
#include <QImage>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nolby {

// The question: 1 to 4 lines, then it scrolls. Return begins; Return with Shift or Alt
// breaks the line; a held Return begins once, not again on every repeat.
class QuestionField : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 4;
    static constexpr double kSize = 22;       // the italic's size
    static constexpr double kPadLeading = 18, kPadVertical = 12;

    explicit QuestionField(QWidget* parent = nullptr);
    // Lines shown (1 to 4) and the height that takes.
    int lines() const;
    double heightFor(int lines) const;
    // The narrowest the field may be: its placeholder shown whole.
    double leastWidth() const;

signals:
    void begin();
    void linesChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int lines_ = 1;
};

// A round red button with an asterisk.
class BeginButton : public QAbstractButton {
public:
    static constexpr int kSide = 46;
    explicit BeginButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One starter question: its page number in cyan and the question; it slides 4 points right
// while the pointer is over it and dims while pressed.
class CoverLine : public QAbstractButton {
public:
    CoverLine(std::shared_ptr<const Clock> clock, QWidget* parent = nullptr);
    void set(int number, const std::string& question, double width);
    const std::string& question() const { return question_; }
    int number() const { return number_; }
    double offset() const { return slide_.value; }
    // Height of the line at `width`.
    static double heightFor(const std::string& question, double width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void animate();
    std::shared_ptr<const Clock> clock_;
    int number_ = 0;
    std::string question_;
    double width_ = 300;
    QImage image_;
    Spring slide_;
    double last_ = 0;
    QTimer frames_;
};

class AskBand : public QWidget {
    Q_OBJECT
public:
    // The headline's pixel sizes, coarse to sharp, one every 0.11 s after the band appears.
    static constexpr std::array<double, 5> kResolve = {12, 8, 5, 3.4, 2.2};
    static constexpr double kResolveStep = 0.11;
    static constexpr double kContents = 300;  // the contents column's width
    static constexpr double kFieldMax = 640;

    AskBand(std::shared_ptr<Scheduler> scheduler, QWidget* parent = nullptr);

    // The next issue's number, for the contents header.
    void setIssue(int64_t issue);
    // Today, for the starter questions and the dateline (the clock of the desk by default).
    void setToday(std::function<Date()> today);
    // The band's height at a width (it grows with the question's lines).
    double heightFor(double width) const;
    // Where the headline is drawn at the band's width, and its size: scaled down from 50 when
    // its column is narrower than the headline.
    QRectF headlineFrame() const;
    double headlineSize() const;

    QuestionField* field() const { return field_; }
    BeginButton* beginButton() const { return button_; }
    const std::vector<CoverLine*>& lines() const { return lines_; }
    double resolve() const { return resolve_; }
    // "NO. 007  •  Q4 2026  •  OR START WITH"
    std::string contentsHeader() const;

signals:
    // Begin a new issue with the question as it stands.
    void begin();
    // A starter question was chosen: the field now holds it, and begin follows.
    void chose(const QString& question);
    // The band's height changed (the question grew or shrank).
    void heightChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Geometry;
    Geometry geometry(double width) const;
    void place();
    void refreshLines();
    void stepResolve(size_t next);

    std::shared_ptr<Scheduler> scheduler_;
    std::function<Date()> today_;
    int64_t issue_ = 1;
    QuestionField* field_;
    BeginButton* button_;
    std::vector<CoverLine*> lines_;
    double resolve_ = kResolve.front();
    Timer resolving_;
    QImage image_, headline_;
    QSize drawnSize_;
    double drawnResolve_ = 0;
    QPointF drawnStrip_;  // where the headline's strip goes
    std::string drawnHeader_;
};

}  // namespace nolby
