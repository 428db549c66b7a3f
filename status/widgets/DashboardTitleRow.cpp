#include "status/widgets/DashboardTitleRow.h"

#include "status/widgets/MonitorPill.h"
#include "status/widgets/StatusFont.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>

#include <algorithm>

namespace quillstone {

namespace {

// The baseline of a label's single line, from its top.
int baseline(const QLabel* label) {
    const QFontMetrics metrics(label->font());
    return (label->sizeHint().height() - metrics.height()) / 2 + metrics.ascent();
}

int pillBaseline(const MonitorPill* pill) {
    return pill->layout()->contentsMargins().top() + baseline(pill->textLabel());
}

} // namespace

DashboardTitleRow::DashboardTitleRow(QWidget* parent)
    : QWidget(parent),
      title_(StatusFont::label(QString::fromUtf8(title), StatusFont::system(25, QFont::Bold), Qt::white, this)),
      pill_(new MonitorPill(this)) {}

int DashboardTitleRow::titleTop() const { return std::max(0, pillBaseline(pill_) - baseline(title_)); }

int DashboardTitleRow::pillTop() const { return std::max(0, baseline(title_) - pillBaseline(pill_)); }

QSize DashboardTitleRow::sizeHint() const {
    const QSize titleSize = title_->sizeHint();
    const QSize pillSize = pill_->sizeHint();
    return {titleSize.width() + spacing + pillSize.width(),
            std::max(titleTop() + titleSize.height(), pillTop() + pillSize.height())};
}

QSize DashboardTitleRow::minimumSizeHint() const {
    return {title_->sizeHint().width() + spacing + minimumPillWidth, sizeHint().height()};
}

void DashboardTitleRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

bool DashboardTitleRow::event(QEvent* event) {
    // The pill's text changed its width: lay the row out again.
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        layOut();
    }
    return QWidget::event(event);
}

void DashboardTitleRow::layOut() {
    const QSize titleSize = title_->sizeHint();
    fitPill(width() - titleSize.width() - spacing);
    title_->setGeometry(0, titleTop(), titleSize.width(), titleSize.height());
    pill_->setGeometry(titleSize.width() + spacing, pillTop(), pill_->sizeHint().width(), pill_->sizeHint().height());
}

void DashboardTitleRow::fitPill(int available) {
    // Wide desktop fonts may not leave the pill its room beside the title: then
    // its letters narrow, rather than losing any of them.
    QLabel* text = pill_->textLabel();
    QFont font = text->font();
    font.setStretch(QFont::AnyStretch);
    const int natural = QFontMetrics(font).horizontalAdvance(text->text());
    const int room = available - (pill_->sizeHint().width() - text->sizeHint().width());
    if (natural > room && natural > 0 && room > 0) {
        // Glyph widths do not scale exactly; narrow on until the text fits.
        int stretch = std::max(60, 100 * room / natural);
        font.setStretch(stretch);
        while (stretch > 60 && QFontMetrics(font).horizontalAdvance(text->text()) > room) {
            font.setStretch(--stretch);
        }
    }
    if (font.stretch() != text->font().stretch()) {
        text->setFont(font);
        pill_->updateGeometry();
    }
}

} // namespace quillstone
