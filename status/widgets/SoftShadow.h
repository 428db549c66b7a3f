#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPoint>

namespace quillstone {

// A blurred copy of a shape, the way a view's shadow is drawn: rendered once per
// shape, size and colour and then only blitted.
class SoftShadow {
public:
    // `radius` is the blur radius in device-independent pixels.
    static SoftShadow of(const QPainterPath& shape, const QColor& colour, qreal radius, qreal devicePixelRatio = 1.0);

    // Draws the shadow of the shape displaced by `offset`.
    void paint(class QPainter& painter, QPointF offset) const;
    bool isNull() const { return image_.isNull(); }

private:
    QImage image_;
    QPointF origin_;
};

} // namespace quillstone
