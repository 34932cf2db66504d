#pragma once
// The sheet on screen: a scroll area whose viewport shows what the sheet view draws (paper,
// head, pages, caret and selection in one cairo pass over a QImage), and which turns Qt's
// events into the sheet's calls: resizes into relayouts, scroll-bar moves into scrolled(),
// wheel and two-finger events into wheel() (scrolling by them unless the sheet used them up),
// showing and hiding into attach(), focus into first-responder changes, window activation
// into the highlight's colour. It repaints at up to 120 frames a second while the sheet
// animates, only the caret's bar while its blink is all that moves (each time it steps to
// another opacity), and rests otherwise: a caret that has stopped blinking costs nothing.
//
// The scroll position is kept in points as a real number (glides move by fractions of a
// point); the scroll bar shows it rounded.

#include "platform/Definitions.h"
#include "sheet/SheetView.h"
#include "ui/sheet/SheetInput.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

#include <memory>

namespace nolby {

class SheetScrollView : public QAbstractScrollArea, public SheetHost {
public:
    static constexpr int kFrameMs = 8;          // 1 / 120 s in whole milliseconds, rounded down
    static constexpr int kBlinkFrameMs = 33;    // the caret's bar is never redrawn more often
    static constexpr double kWheelStep = 48;    // points one notch of a plain wheel scrolls

    SheetScrollView(const std::shared_ptr<NotebookModel>& model, std::shared_ptr<SheetState> state,
                    std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press = nullptr,
                    QWidget* parent = nullptr);
    ~SheetScrollView() override;

    SheetView& sheet() { return *sheet_; }
    const std::shared_ptr<SheetView>& sharedSheet() const { return sheet_; }
    void setActions(SheetActions actions) { sheet_->setActions(std::move(actions)); }
    // Where Look Up shows a phrase; none: nowhere.
    void setDefinitions(std::shared_ptr<Definitions> definitions) { definitions_ = std::move(definitions); }
    // The last frame painted, in device pixels.
    const QImage& lastFrame() const { return image_; }
    bool ticking() const { return frames_.isActive(); }
    // Whether the caret's bar alone is due to be repainted, and where (viewport pixels).
    bool blinking() const { return blink_.isActive(); }
    QRect blinkRect() const { return blinkRect_; }

    // ---- SheetHost
    Size viewportSize() const override;
    double scrollPosition() const override { return position_; }
    void setScrollPosition(double y) override;
    void setDocumentHeight(double height) override;
    void repaint() override;
    bool windowActive() const override;
    void focus() override;
    void setClipboard(const std::string& text) override;
    std::string clipboard() const override;
    Color selectionColor(bool active) const override;
    void lookUp(const std::string& phrase, Point at, double size) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Keys, shortcuts about to fire and the input method reach the sheet's input.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    // Brings the scroll bar's range and value in line with the document and the position.
    void syncBar();
    // Moves to y (clamped) and tells the sheet when the position changed.
    void moveTo(double y);
    // After a frame: whole frames while the sheet animates, the caret's bar alone while only
    // it blinks, nothing while the picture rests.
    void scheduleFrames(double now);

    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<SheetView> sheet_;
    std::shared_ptr<Definitions> definitions_;
    double position_ = 0;
    double document_ = 0;
    bool syncing_ = false;  // the bar is being set from position_: its moves are not the user's
    QImage image_;
    QTimer frames_;
    QTimer blink_;  // single shot: repaints blinkRect_
    QRect blinkRect_;
    std::unique_ptr<SheetInput> input_;  // the sheet's pointer and keyboard events
};

}  // namespace nolby
