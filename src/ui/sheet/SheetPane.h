#pragma once
// What the issue window shows for one notebook (the notebook itself, or one deep dive over
// it): the scrolling sheet filling the pane, and the chrome our code lays over it: the fade
// at the top edge, the outline in the left margin, the floating selection bar and the
// "Writing below" button.
//
// The pane owns the sheet's state from its first showing for its whole life: the sheet
// publishes into it (layout, scroll position, selection, outline, writing below) and the
// pane places its chrome from it and reaches the sheet's actions through it. Each chrome
// element is a child widget drawn by the headless chrome painters, coming and going by its
// transition on the media clock (SheetChromeMotion).

#include "model/NotebookModel.h"
#include "platform/Clock.h"
#include "platform/Observed.h"
#include "sheet/SheetChromeBar.h"
#include "sheet/SheetChromeMotion.h"
#include "sheet/SheetChromeOutline.h"
#include "sheet/SheetState.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class SheetPane : public QWidget {
public:
    // What the chrome's buttons ask of the sheet view. Each does nothing when absent. By
    // default they reach the sheet view through the state (`through`).
    struct Actions {
        std::function<void()> explain;                  // "Explain" on the selection bar
        std::function<void()> goDeeper;                 // "Go Deeper"
        std::function<void()> catchUp;                  // "Writing below"
        std::function<void(double y, bool animated)> scrollTo;  // an outline row
    };

    // One floating element: a layer drawn into the widget at the clock's time, animating
    // while its transition runs, hidden once it has faded out. Mouse events go to the
    // handlers, in widget coordinates.
    class Chrome final : public QWidget {
    public:
        Chrome(std::shared_ptr<const Clock> clock, QWidget* parent);
        DrawnLayer& layer() { return *layer_; }
        // Lays the layer's content (w × h at its top) in the widget.
        void setContent(Size content);
        // Moves the widget to `frame`: at once, or (while it shows) gliding there over
        // `duration` seconds with an ease-out.
        void place(const QRect& frame, double duration = 0);
        // Its content changed: drawn again at the next paint.
        void redraw();
        // Repaints, and keeps repainting while a transition runs.
        void animate();
        // One frame: repaints; once the transition has ended, stops the frames and hides
        // the widget when nothing of it shows.
        void step();

        std::function<void(std::optional<Point>)> moved;  // none: the pointer left
        std::function<void(Point down, Point up)> clicked;  // pressed and released
        std::function<std::string(Point)> help;

        // Times its layer has been drawn. A paint that only shows the widget again (the
        // sheet beneath it repainted) puts back the kept frame without drawing.
        int draws() const { return draws_; }

    protected:
        void paintEvent(QPaintEvent*) override;
        void mousePressEvent(QMouseEvent*) override;
        void mouseReleaseEvent(QMouseEvent*) override;
        void mouseMoveEvent(QMouseEvent*) override;
        void leaveEvent(QEvent*) override;

    private:
        std::shared_ptr<const Clock> clock_;
        std::shared_ptr<DrawnLayer> layer_ = std::make_shared<DrawnLayer>();
        QImage image_;  // the frame, kept while the size stays: it repaints at up to 120 a second
        bool drawn_ = false;  // image_ shows the layer as it is now and stays so until a change
        int draws_ = 0;
        QTimer frames_;
        std::optional<Point> pressed_;
        // A glide in progress: from where, to where, since when, for how long.
        QPoint from_, to_;
        double glideStart_ = 0, glideDuration_ = 0;
    };

    // The sheet view's own actions, reached through the state's weak `sheet` when they run:
    // nothing happens once the sheet view is gone. "Writing below" and the outline rows;
    // the word actions (explain, goDeeper) come from the sheet's pointer input and are set
    // by whoever makes the pane and the sheet together.
    static Actions through(const std::shared_ptr<SheetState>& state);

    // `outline`: whether this pane may show the outline (the notebook's own pane while no
    // dive is stacked over it). The clock times the chrome's transitions.
    SheetPane(std::shared_ptr<NotebookModel> model, bool outline, QWidget* parent = nullptr,
              std::shared_ptr<const Clock> clock = nullptr);
    ~SheetPane() override;

    const std::shared_ptr<SheetState>& state() const { return state_; }
    // The sheet (its scroll view), laid to fill the pane under the chrome.
    void setSheet(QWidget* sheet);
    QWidget* sheet() const { return sheet_; }
    void setActions(Actions actions) { actions_ = std::move(actions); }
    void setOutlineAllowed(bool outline);

    // The chrome's widgets (for the window's tests and screenshots).
    Chrome* selectionBar() const { return bar_; }
    Chrome* outline() const { return outline_; }
    Chrome* writingBelow() const { return writing_; }
    QWidget* fade() const { return fade_; }
    // Where the selection bar's buttons and "Writing below" lie within their widgets.
    Rect explainFrame() const { return barPainter_.explainFrame(); }
    Rect deeperFrame() const { return barPainter_.deeperFrame(); }
    // The outline as last laid out (none until it first shows).
    const std::optional<Outline>& outlineLaid() const { return outlineLaid_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void placeChrome();
    void stack();
    void scrolled();
    void placeBar();
    void placeWriting();
    void placeOutline();
    double now() const { return clock_->now(); }

    std::shared_ptr<NotebookModel> model_;
    bool outlineAllowed_;
    std::shared_ptr<const Clock> clock_;
    std::shared_ptr<SheetState> state_ = std::make_shared<SheetState>();
    Actions actions_;
    QWidget* sheet_ = nullptr;
    QWidget* fade_ = nullptr;
    Chrome* outline_ = nullptr;
    Chrome* bar_ = nullptr;
    Chrome* writing_ = nullptr;

    SelectionBar barPainter_;
    WritingBelowButton writingPainter_;
    std::optional<Outline> outlineLaid_;
    // What the laid outline was made from; the same again leaves it as it is.
    struct OutlineInputs {
        std::vector<SheetState::Entry> entries;
        Color color;
        double width = 0;
        std::optional<size_t> reached;
        bool operator==(const OutlineInputs&) const = default;
    };
    std::optional<OutlineInputs> outlineFrom_;
    bool barShown_ = false, writingShown_ = false, outlineShown_ = false;
    std::vector<Subscription> watching_;
};

}  // namespace nolby
