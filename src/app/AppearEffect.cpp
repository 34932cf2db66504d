#include "app/AppearEffect.h"

#include <QPainter>

namespace nolby {

AppearEffect::AppearEffect(QColor paper, QObject* parent) : QGraphicsEffect(parent), paper_(paper) {}

void AppearEffect::setProgress(qreal progress) {
    if (progress == progress_) return;
    progress_ = progress;
    update();
}

void AppearEffect::sourceChanged(ChangeFlags flags) {
    if (flags & (SourceBoundingRectChanged | SourceDetached)) picture_ = QPixmap();
}

void AppearEffect::draw(QPainter* painter) {
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    if (picture_.isNull() || picture_.devicePixelRatio() != dpr ||
        QSizeF(picture_.deviceIndependentSize()) != bounds.toAlignedRect().size()) {
        picture_ = sourcePixmap(Qt::LogicalCoordinates, &offset_, NoPad);
        ++pictures_;
    }
    painter->save();
    // The paper is the view's ground: neither faded nor scaled.
    painter->fillRect(bounds, paper_);
    const QPointF centre = bounds.center();
    painter->translate(centre);
    painter->scale(scale(), scale());
    painter->translate(-centre);
    painter->setOpacity(painter->opacity() * opacity());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(offset_, picture_);
    painter->restore();
}

}  // namespace nolby
