#pragma once

#include <QEasingCurve>

namespace quillstone {

// The ease-out timing curve: a cubic Bézier through (0, 0), (0.58, 1), (1, 1).
inline QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

} // namespace quillstone
