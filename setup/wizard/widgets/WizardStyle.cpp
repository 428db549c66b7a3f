#include "setup/wizard/widgets/WizardStyle.h"

#include "platform/qt/SymbolIcon.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPixmapCache>
#include <QLabel>
#include <QPainter>
#include <QPalette>

#include <cmath>


namespace quillstone::WizardStyle {

QColor accent() { return QColor::fromRgbF(1.0f, 0.28f, 0.78f, 1.0f); }
// The dark-appearance variants of the standard colours.
QColor mint() { return QColor(102, 212, 207); }
QColor orange() { return QColor(255, 159, 10); }
QColor cyan() { return QColor(100, 210, 255); }
QColor secondary() { return QColor(235, 235, 245, 153); }
QColor white(qreal opacity) {
    QColor colour(Qt::white);
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

namespace {
double luminance(const QColor& colour) {
    auto channel = [](float value) {
        return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}
} // namespace

QColor textOn(const QColor& fill) {
    const double whiteContrast = 1.05 / (luminance(fill) + 0.05);
    return whiteContrast >= 4.5 ? QColor(Qt::white) : QColor(20, 16, 26);
}

QFont font(int points, QFont::Weight weight) {
    QFont result = QApplication::font();
    result.setPixelSize(points);
    result.setWeight(weight);
    return result;
}

QFont headline() { return font(13, QFont::DemiBold); }

QFont monospaced(int points) {
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result.setPixelSize(points);
    return result;
}

namespace {
QPixmap drawSymbol(const QString& name, int size, const QColor& colour, qreal devicePixelRatio);
} // namespace

QPixmap symbol(const QString& name, int size, const QColor& colour, qreal devicePixelRatio) {
    // The same few symbols appear in many rows; each is drawn from its SVG once.
    const QString key = QStringLiteral("quillstone-symbol/%1/%2/%3/%4")
                            .arg(name)
                            .arg(size)
                            .arg(colour.rgba())
                            .arg(devicePixelRatio);
    QPixmap result;
    if (!QPixmapCache::find(key, &result)) {
        result = drawSymbol(name, size, colour, devicePixelRatio);
        QPixmapCache::insert(key, result);
    }
    return result;
}

namespace {
QPixmap drawSymbol(const QString& name, int size, const QColor& colour, qreal devicePixelRatio) {
    // "x.circle.fill": a filled circle with x cut out of it, when the theme has x.
    static const QString filledCircle = QStringLiteral(".circle.fill");
    const QString inner = name.endsWith(filledCircle) ? name.chopped(filledCircle.size()) : QString();
    if (inner.isEmpty() || SymbolIcon::themeName(inner).isEmpty()) {
        return SymbolIcon::pixmap(name, size, colour, devicePixelRatio);
    }
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    const int innerSize = qRound(size * 0.6);
    const qreal offset = (size - innerSize) / 2.0;
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.drawPixmap(QPointF(offset, offset), SymbolIcon::pixmap(inner, innerSize, Qt::black, devicePixelRatio));
    return result;
}
} // namespace

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QPalette darkPalette() {
    QPalette palette;
    const QColor window(30, 31, 40);
    const QColor base(22, 23, 31);
    const QColor text(Qt::white);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, QColor(52, 53, 64));
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Highlight, accent());
        palette.setColor(group, QPalette::HighlightedText, text);
        palette.setColor(group, QPalette::ToolTipBase, window);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, secondary());
        palette.setColor(group, QPalette::Light, QColor(70, 71, 84));
        palette.setColor(group, QPalette::Midlight, QColor(60, 61, 74));
        palette.setColor(group, QPalette::Mid, QColor(44, 45, 56));
        palette.setColor(group, QPalette::Dark, QColor(16, 17, 22));
        palette.setColor(group, QPalette::Shadow, Qt::black);
    }
    const QColor disabled(255, 255, 255, 90);
    palette.setColor(QPalette::Disabled, QPalette::Window, window);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(44, 45, 56));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return palette;
}

QLabel* label(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
    auto* result = new QLabel(text, parent);
    result->setFont(font);
    result->setWordWrap(true);
    result->setTextFormat(Qt::PlainText);
    setTextColour(result, colour);
    return result;
}

QLabel* symbolLabel(const QString& name, int size, const QColor& colour, QWidget* parent) {
    auto* result = new QLabel(parent);
    qreal ratio = parent != nullptr ? parent->devicePixelRatioF() : qApp->devicePixelRatio();
    result->setPixmap(symbol(name, size, colour, ratio));
    result->setFixedSize(size, size);
    return result;
}

} // namespace quillstone::WizardStyle
