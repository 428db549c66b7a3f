#include "setup/wizard/widgets/WizardStepRow.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>

namespace quillstone {

namespace {
constexpr int circleSize = 30;
} // namespace

// The filled circle behind the number or the check.
class WizardStepRow::Circle : public QWidget {
public:
    explicit Circle(QWidget* parent) : QWidget(parent) { setFixedSize(circleSize, circleSize); }
    void setFill(const QColor& fill) {
        fill_ = fill;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill_);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor fill_;
};

WizardStepRow::WizardStepRow(int index, const QString& title, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    circle_ = new Circle(this);
    auto* inside = new QStackedLayout(circle_);
    inside->setStackingMode(QStackedLayout::StackAll);
    number_ = WizardStyle::label(QString::number(index + 1), WizardStyle::font(13, QFont::Bold), Qt::white, circle_);
    number_->setWordWrap(false);
    number_->setAlignment(Qt::AlignCenter);
    check_ = WizardStyle::symbolLabel("checkmark", 14, Qt::black, circle_);
    check_->setFixedSize(circleSize, circleSize);
    check_->setAlignment(Qt::AlignCenter);
    inside->addWidget(number_);
    inside->addWidget(check_);
    layout->addWidget(circle_);
    title_ = WizardStyle::label(title, WizardStyle::font(14, QFont::Medium), WizardStyle::secondary(), this);
    title_->setWordWrap(false);
    layout->addWidget(title_, 1);
    setProgress(Progress::later);
}

void WizardStepRow::setProgress(Progress progress) {
    progress_ = progress;
    const bool current = progress == Progress::current;
    circle_->setFill(progress == Progress::finished ? WizardStyle::mint()
                     : current                      ? WizardStyle::accent()
                                                    : WizardStyle::white(0.08));
    number_->setVisible(progress != Progress::finished);
    check_->setVisible(progress == Progress::finished);
    WizardStyle::setTextColour(number_, current ? WizardStyle::textOn(WizardStyle::accent()) : WizardStyle::secondary());
    title_->setFont(WizardStyle::font(14, current ? QFont::Bold : QFont::Medium));
    WizardStyle::setTextColour(title_, current ? QColor(Qt::white) : WizardStyle::secondary());
}

} // namespace quillstone
