#pragma once
// The shelf's scrolling page: the nameplate, the ask band, the "BACK ISSUES" header over the
// grid of covers and the footer, on the desk (which the newsstand draws behind it). The grid
// is lazy: tiles exist only for the rows in view, each cover is flattened once in the
// background and drawn as one image, and only covers that move are drawn through a
// projective transform.

#include "notebook/NotebookHead.h"
#include "platform/Scheduler.h"
#include "press/Press.h"
#include "ui/library/AskBand.h"
#include "ui/library/CoverFlattener.h"
#include "ui/library/CoverTile.h"
#include "ui/library/ShelfGrid.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

#include <functional>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class Shelf : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr double kMaxWidth = 1240;
    static constexpr double kSide = 48, kTop = 18, kBottom = 48;
    static constexpr double kBandGap = 26;
    // Flattened covers kept: a few screens' worth.
    static constexpr size_t kKept = 160;
    // Room around a cover (and its label) that drawing it again covers: its lean and its
    // shadows, which reach at most 42 points out (CoverFlattener's margins).
    static constexpr double kRedrawMargin = 48;

    // What the page shows besides the covers.
    struct Texts {
        std::string dateline;    // "NO. 008  •  Q4 2026"
        std::string count;       // "12", or "7 OF 12" while searching
        std::string replies;     // "12 REPLIES THIS MONTH" or "NOLBY PRESS"
        bool any = false;        // there are issues: the header and the grid show
        bool operator==(const Texts&) const = default;
    };

    Shelf(std::shared_ptr<Press> press, std::shared_ptr<Scheduler> scheduler, QWidget* parent = nullptr);

    void setIssues(std::vector<NotebookHead> shown, Texts texts);
    // Heads of notebooks saved again, each with its place in shown() (the same notebook
    // there): the page and the order stay, and only those covers in view are drawn again.
    void mendIssues(std::vector<std::pair<size_t, NotebookHead>> changed);
    void setDark(bool dark);
    // Today, for the covers' lines of facts.
    void setToday(std::function<Date()> today);
    bool dark() const { return dark_; }

    AskBand* band() const { return band_; }
    const std::vector<NotebookHead>& shown() const { return shown_; }
    const Texts& texts() const { return texts_; }
    // The grid as laid out at the current width.
    ShelfGrid grid() const;
    // Cover `index` on the page (page points, before scrolling) and in the viewport.
    QRectF coverOnPage(size_t index) const;
    QRectF coverInView(size_t index) const;
    // The tiles that exist (the rows in view), by notebook id.
    std::vector<Uuid> tiles() const;
    CoverTile* tile(const Uuid& id) const;
    // The tile under a viewport point, if any.
    std::optional<size_t> tileAt(QPointF point) const;
    double pageHeight() const;
    const CoverFlattener& flattener() const { return flattener_; }
    // Whether something on the page is still moving (then frames keep coming).
    bool animating() const;

signals:
    void open(const NotebookHead& notebook);
    void openInWindow(const NotebookHead& notebook);
    void remove(const NotebookHead& notebook);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Layout {
        double x = 0, width = 0;       // the column
        double nameplate = 0;          // its height
        double bandTop = 0, bandHeight = 0;
        double sectionTop = 0, section = 0;
        double gridTop = 0, gridHeight = 0;
        double footerTop = 0, footer = 0;
        double height = 0;
    };
    void relayout();
    void syncTiles();
    void redrawCovers(const std::vector<size_t>& changed);
    // Redraws the tile of this notebook when it is in view.
    void redrawCover(const Uuid& id);
    void hoverAt(QPointF point);
    // The tiles in view, on a painter in page coordinates; those outside `exposed` (page
    // coordinates) are not drawn.
    void paintTiles(QPainter& p, double now, const QRectF& exposed);
    // What drawing a cover at `cover` may touch.
    static QRectF tileArea(const ShelfGrid& grid, const QRectF& cover);
    // Asks the press for the covers just out of view, so they are warm when they scroll in.
    void warmNear(size_t first, size_t last);
    const QImage& labelFor(const NotebookHead& n);
    void ensureFrames();
    std::pair<QRectF, QRectF> footerLinks() const;

    std::shared_ptr<Press> press_;
    std::shared_ptr<Scheduler> scheduler_;
    AskBand* band_;
    CoverFlattener flattener_;
    std::vector<NotebookHead> shown_;
    std::map<Uuid, size_t> index_;
    Texts texts_;
    bool dark_ = false;
    std::function<Date()> today_ = [] { return ReferenceClock::now(); };
    Layout layout_;
    std::map<Uuid, std::unique_ptr<CoverTile>> tiles_;
    std::map<Uuid, std::pair<std::string, QImage>> labels_;
    std::optional<Uuid> hovered_, pressed_;
    QImage nameplate_, section_, footer_, bandShadow_, shadow_;
    QTimer frames_;
    Subscription pressWatch_;
};

}  // namespace nolby
