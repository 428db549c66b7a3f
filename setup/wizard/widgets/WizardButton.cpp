#include "setup/wizard/widgets/WizardButton.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace quillstone {

namespace {
constexpr int symbolGap = 7;
constexpr int horizontalPadding = 16;
} // namespace

WizardButton::WizardButton(const QString& title, Kind kind, QWidget* parent)
    : QPushButton(title, parent), kind_(kind), tint_(WizardStyle::accent()) {
    setCursor(Qt::PointingHandCursor);
    setFont(WizardStyle::font(13, QFont::Medium));
    spinner_.setInterval(80);
    connect(&spinner_, &QTimer::timeout, this, [this] {
        spinnerPhase_ = (spinnerPhase_ + 1) % 12;
        update();
    });
}

void WizardButton::setTint(const QColor& tint) {
    tint_ = tint;
    update();
}

void WizardButton::setSymbol(const QString& symbol) {
    symbol_ = symbol;
    updateGeometry();
    update();
}

void WizardButton::setControlSize(Size size) {
    size_ = size;
    setFont(WizardStyle::font(size == Size::large ? 15 : 13, QFont::Medium));
    updateGeometry();
}

void WizardButton::setBusy(bool busy) {
    if (busy_ == busy) {
        return;
    }
    busy_ = busy;
    if (busy) {
        spinner_.start();
    } else {
        spinner_.stop();
    }
    update();
}

QSize WizardButton::sizeHint() const {
    int width = fontMetrics().horizontalAdvance(text()) + 2 * horizontalPadding;
    if (!symbol_.isEmpty()) {
        width += symbolSize() + symbolGap;
    }
    return {width, controlHeight()};
}

void WizardButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal opacity = isEnabled() ? 1.0 : 0.42;
    painter.setOpacity(opacity);

    QColor fill = tint_;
    QColor foreground = Qt::white;
    if (kind_ == Kind::bordered) {
        fill.setAlphaF(isDown() ? 0.34f : 0.2f);
        foreground = tint_.lighter(115);
    } else {
        if (isDown()) {
            fill = fill.darker(120);
        }
        foreground = WizardStyle::textOn(fill);
    }
    painter.setPen(kind_ == Kind::bordered ? QPen(WizardStyle::white(0.1), 1) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 8, 8);
    // A focus ring only when the keyboard moved the focus, as on the Mac.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(WizardStyle::white(0.55), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(1.5, 1.5, -1.5, -1.5), 7, 7);
    }

    if (busy_) {
        // A small spinning indicator of twelve spokes.
        const QPointF centre = frame.center();
        const qreal radius = controlHeight() * 0.22;
        painter.setPen(Qt::NoPen);
        for (int spoke = 0; spoke < 12; ++spoke) {
            QColor colour = foreground;
            colour.setAlphaF(static_cast<float>(0.25 + 0.75 * (((spoke - spinnerPhase_ + 12) % 12) / 11.0)));
            painter.save();
            painter.translate(centre);
            painter.rotate(spoke * 30.0);
            painter.setBrush(colour);
            painter.drawRoundedRect(QRectF(-1.1, -radius, 2.2, radius * 0.5), 1.1, 1.1);
            painter.restore();
        }
        return;
    }

    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int contentWidth = textWidth + (symbol_.isEmpty() ? 0 : symbolSize() + symbolGap);
    int x = (width() - contentWidth) / 2;
    if (!symbol_.isEmpty()) {
        const int size = symbolSize();
        painter.drawPixmap(x, (QWidget::height() - size) / 2,
                           WizardStyle::symbol(symbol_, size, foreground, devicePixelRatioF()));
        x += size + symbolGap;
    }
    painter.setPen(foreground);
    painter.setFont(font());
    painter.drawText(QRect(x, 0, textWidth + 1, QWidget::height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

} // namespace quillstone
