#pragma once
// The button that always offers the one thing that moves the lesson on, and names it: ask
// the tutor, write the rest at once, read on, skip a question, let the tutor write the next
// part. Its label, help text and style follow the next-step cue of the focused notebook; the
// prominent style is tinted with the first ink of the notebook's palette. While the tutor
// writes or reads, its context menu offers "Stop Writing".
//
// It is never disabled and has no shortcut of its own: the cue says what a click does, and
// the keys named in its help texts belong to the Issue menu and the sheet.

#include "model/NotebookModel.h"

#include <QAbstractButton>

#include <cstdint>
#include <functional>
#include <memory>

class QMenu;

namespace nolby {

class NextStepButton final : public QAbstractButton {
    Q_OBJECT
public:
    using Way = NotebookModel::Way;

    explicit NextStepButton(QWidget* parent = nullptr);

    // Shows a cue, tinted with a palette ink (0xRRGGBB) when the style is prominent.
    void setCue(const Way& cue, uint32_t ink);
    const Way& cue() const { return cue_; }
    // The tinted style of ask, next, writing and reading; skip and turn are plain buttons.
    bool prominent() const;
    // The fill of a prominent button; none for a plain one.
    std::optional<QColor> tint() const;
    // The label's text ("Next" and the step's title for a titled next step).
    QString label() const;

    // The context menu: "Stop Writing" while the tutor writes or reads on a prominent button,
    // else none.
    std::unique_ptr<QMenu> contextMenu();

    // The cue's words and help text, shared with the menus that name the same step.
    static QString words(const Way& cue);
    static QString help(const Way& cue);
    static bool prominent(const Way& cue);

    std::function<void()> onStopWriting;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The title of a next step, cut to 170 points.
    QString title() const;

    Way cue_;
    QColor ink_;
};

}  // namespace nolby
