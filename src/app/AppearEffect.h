#pragma once
// How a view comes on screen: its content fades in and grows from a shade smaller to its
// full size about its centre, over a paper background that stays put. One effect does both,
// so the view is painted through a single pass.
//
// The content is pictured once, on the first frame, and that picture is scaled and faded on
// every later frame: rendering the whole widget tree again on each frame of a 0.28 s appear
// costs far more than the content changes in that time. The picture is taken again when the
// view's size or device pixel ratio changes. The live widgets stay where they are under the
// effect and take every click and key as usual; what they draw meanwhile shows when the owner
// removes the effect at the end.

#include <QColor>
#include <QGraphicsEffect>
#include <QPixmap>

namespace nolby {

class AppearEffect final : public QGraphicsEffect {
    Q_OBJECT
    Q_PROPERTY(qreal progress READ progress WRITE setProgress)
public:
    static constexpr double startScale = 0.985;

    AppearEffect(QColor paper, QObject* parent = nullptr);

    // How far the appear has come, already eased: 0 unseen and small, 1 opaque at full size.
    qreal progress() const { return progress_; }
    void setProgress(qreal progress);

    double opacity() const { return progress_; }
    double scale() const { return startScale + (1 - startScale) * progress_; }
    // Pictures of the content taken so far (one per size the view had while appearing).
    int pictures() const { return pictures_; }

protected:
    void draw(QPainter* painter) override;
    void sourceChanged(ChangeFlags flags) override;

private:
    QColor paper_;
    qreal progress_ = 0;
    QPixmap picture_;
    QPoint offset_;
    int pictures_ = 0;
};

}  // namespace nolby
