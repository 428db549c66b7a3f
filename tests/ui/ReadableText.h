#pragma once

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace quillstone::testing {

// The worst text of a window as drawn: for each visible, enabled label and
// button, the pixel farthest in luminance from the median of its area (its
// background) gives the contrast ratio, which must reach 4.5:1, or 3:1 for
// large text (24 pixels, or 19 bold).
struct TextContrast {
    double ratio = 21;
    double required = 4.5;
    QString text;
};

inline double relativeLuminance(QRgb pixel) {
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

inline TextContrast worstTextContrast(QWidget& window) {
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal scale = image.devicePixelRatio();
    TextContrast worst;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.push_back(&window);
    for (QWidget* widget : widgets) {
        QString text;
        int inset = 0;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
            inset = 4; // past the button's border and corners
        }
        if (text.isEmpty() || !widget->isVisibleTo(&window) || !widget->isEnabled()) {
            continue;
        }
        // A text scrolled (nearly) out of sight is not read.
        const int lineHeight = QFontMetrics(widget->font()).height();
        QRect area = widget->visibleRegion().boundingRect();
        if (area.height() < lineHeight) {
            continue;
        }
        inset = std::clamp((area.height() - lineHeight) / 2, 0, inset);
        area.adjust(inset, inset, -inset, -inset);
        area = QRect(widget->mapTo(&window, area.topLeft()) * scale, area.size() * scale) & image.rect();
        std::vector<double> levels;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                levels.push_back(relativeLuminance(image.pixel(x, y)));
            }
        }
        if (levels.empty()) {
            continue;
        }
        std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
        const double background = levels[levels.size() / 2];
        const auto [darkest, lightest] = std::minmax_element(levels.begin(), levels.end());
        const double ink = background - *darkest > *lightest - background ? *darkest : *lightest;
        const double ratio = (std::max(ink, background) + 0.05) / (std::min(ink, background) + 0.05);
        const QFontInfo font(widget->font());
        const bool large = font.pixelSize() >= 24 || (font.pixelSize() >= 19 && font.bold());
        const double required = large ? 3.0 : 4.5;
        if (ratio / required < worst.ratio / worst.required) {
            worst = {ratio, required, text};
        }
    }
    return worst;
}

// Every text of the screen readable; the worst one is printed for the record.
inline void expectReadable(QWidget& window, const QString& screen) {
    const TextContrast worst = worstTextContrast(window);
    std::printf("lowest contrast on %s: %.2f:1 (\"%s\")\n", qPrintable(screen), worst.ratio, qPrintable(worst.text));
    EXPECT_GE(worst.ratio, worst.required) << screen.toStdString() << ": \"" << worst.text.toStdString() << '"';
}

} // namespace quillstone::testing
