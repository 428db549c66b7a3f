#include "setup/wizard/widgets/OptionCard.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quillstone {

namespace {
constexpr int symbolSize = 24;

QLabel* badgeLabel(const QString& badge, QWidget* parent) {
    auto* label = WizardStyle::label(badge, WizardStyle::font(10, QFont::Bold), WizardStyle::accent().lighter(125), parent);
    label->setWordWrap(false);
    QColor fill = WizardStyle::accent();
    fill.setAlphaF(0.14f);
    label->setStyleSheet(QStringLiteral("QLabel { background: %1; border-radius: 5px; padding: 2px 7px; }")
                             .arg(fill.name(QColor::HexArgb)));
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}
} // namespace

OptionCard::OptionCard(const QString& title, const QString& badge, const QString& text, QWidget* parent)
    : QAbstractButton(parent) {
    setText(title);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(14);
    symbol_ = new QLabel(this);
    symbol_->setFixedSize(symbolSize, symbolSize);
    layout->addWidget(symbol_, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    auto* heading = new QHBoxLayout;
    heading->setSpacing(10);
    auto* name = WizardStyle::label(title, WizardStyle::headline(), Qt::white, this);
    name->setWordWrap(false);
    heading->addWidget(name);
    if (!badge.isEmpty()) {
        heading->addWidget(badgeLabel(badge, this));
    }
    heading->addStretch(1);
    texts->addLayout(heading);
    texts->addWidget(WizardStyle::label(text, WizardStyle::font(13), WizardStyle::secondary(), this));
    layout->addLayout(texts, 1);

    connect(this, &QAbstractButton::clicked, this, &OptionCard::chosen);
    // Assistive technologies toggle a checkable button instead of clicking it.
    connect(this, &QAbstractButton::toggled, this, [this] {
        if (!syncing_) {
            emit chosen();
        }
    });
    setSelected(false);
}

void OptionCard::setSelected(bool selected) {
    syncing_ = true;
    setChecked(selected);
    syncing_ = false;
    symbol_->setPixmap(WizardStyle::symbol(selected ? "checkmark.circle.fill" : "circle", symbolSize,
                                           selected ? WizardStyle::mint() : WizardStyle::secondary(),
                                           devicePixelRatioF()));
    update();
}

QSize OptionCard::sizeHint() const { return layout()->sizeHint(); }

int OptionCard::heightForWidth(int width) const { return layout()->totalHeightForWidth(width); }

void OptionCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool selected = isChecked();
    QColor fill = selected ? WizardStyle::accent() : WizardStyle::white(1.0);
    fill.setAlphaF(selected ? 0.12f : (isDown() ? 0.09f : 0.05f));
    QColor edge = selected ? WizardStyle::accent() : WizardStyle::white(1.0);
    edge.setAlphaF(selected ? 0.75f : 0.12f);
    painter.setPen(QPen(edge, selected ? 1.5 : 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 14, 14);
    // A focus ring only when the keyboard moved the focus, as on the Mac.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(WizardStyle::white(0.5), 1.5, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 11, 11);
    }
}

} // namespace quillstone
