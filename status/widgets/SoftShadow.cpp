#include "status/widgets/SoftShadow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillstone {

namespace {

// One box pass over a row or column of alpha values; three passes approach a Gaussian.
void boxPass(uchar* first, int count, int stride, int halfWidth, std::vector<int>& scratch) {
    if (halfWidth <= 0 || count <= 0) {
        return;
    }
    scratch.assign(static_cast<size_t>(count), 0);
    for (int index = 0; index < count; ++index) {
        scratch[static_cast<size_t>(index)] = first[index * stride];
    }
    const int window = 2 * halfWidth + 1;
    int sum = 0;
    for (int index = -halfWidth; index <= halfWidth; ++index) {
        if (index >= 0 && index < count) {
            sum += scratch[static_cast<size_t>(index)];
        }
    }
    for (int index = 0; index < count; ++index) {
        first[index * stride] = static_cast<uchar>(sum / window);
        const int leaving = index - halfWidth;
        const int entering = index + halfWidth + 1;
        if (leaving >= 0) {
            sum -= scratch[static_cast<size_t>(leaving)];
        }
        if (entering < count) {
            sum += scratch[static_cast<size_t>(entering)];
        }
    }
}

} // namespace

SoftShadow SoftShadow::of(const QPainterPath& shape, const QColor& colour, qreal radius, qreal devicePixelRatio) {
    SoftShadow shadow;
    const qreal extent = std::max<qreal>(radius, 0) * 1.5 + 1;
    const QRectF bounds = shape.boundingRect().adjusted(-extent, -extent, extent, extent);
    const QSize pixels = (bounds.size() * devicePixelRatio).toSize();
    if (pixels.isEmpty()) {
        return shadow;
    }
    QImage mask(pixels, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(devicePixelRatio, devicePixelRatio);
        painter.translate(-bounds.topLeft());
        painter.fillPath(shape, Qt::black);
    }
    // A blur radius r reads as a Gaussian of sigma r/2; three boxes of this width match it.
    const qreal sigma = radius * devicePixelRatio / 2;
    const int halfWidth = static_cast<int>(std::lround(std::sqrt(12 * sigma * sigma / 3 + 1) / 2 - 0.5));
    std::vector<int> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int row = 0; row < mask.height(); ++row) {
            boxPass(mask.scanLine(row), mask.width(), 1, halfWidth, scratch);
        }
        for (int column = 0; column < mask.width(); ++column) {
            boxPass(mask.bits() + column, mask.height(), static_cast<int>(mask.bytesPerLine()), halfWidth, scratch);
        }
    }
    shadow.image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    shadow.image_.fill(colour);
    {
        QPainter painter(&shadow.image_);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, mask);
    }
    shadow.image_.setDevicePixelRatio(devicePixelRatio);
    shadow.origin_ = bounds.topLeft();
    return shadow;
}

void SoftShadow::paint(QPainter& painter, QPointF offset) const {
    if (!image_.isNull()) {
        painter.drawImage(origin_ + offset, image_);
    }
}

} // namespace quillstone
