#include "status/widgets/DashboardTitleRow.h"

#include "status/widgets/MonitorPill.h"
#include "status/widgets/StatusFont.h"

#include <QEvent>
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

void DashboardTitleRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize titleSize = title_->sizeHint();
    title_->setGeometry(0, titleTop(), titleSize.width(), titleSize.height());
    pill_->setGeometry(titleSize.width() + spacing, pillTop(), pill_->sizeHint().width(), pill_->sizeHint().height());
}

bool DashboardTitleRow::event(QEvent* event) {
    // The pill's text changed its width: lay the row out again.
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        pill_->resize(pill_->sizeHint());
    }
    return QWidget::event(event);
}

} // namespace quillstone
