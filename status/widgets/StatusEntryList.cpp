#include "status/widgets/StatusEntryList.h"

#include "status/widgets/SoftShadow.h"
#include "status/widgets/StatusEntryRow.h"
#include "status/widgets/StatusPalette.h"

#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace quillstone {

namespace {

// The rows' column; it draws each row's soft shadow beneath it.
class EntryStack : public QWidget {
public:
    explicit EntryStack(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (QObject* child : children()) {
            auto* row = dynamic_cast<StatusEntryRow*>(child);
            if (row != nullptr && row->isVisible()) {
                shadow(*row).paint(painter, QPointF(row->pos()) + QPointF(0, 4));
            }
        }
    }

private:
    // Every row has the same card, so one shadow per accent serves them all,
    // also while the list scrolls.
    const SoftShadow& shadow(const StatusEntryRow& row) {
        if (shadowSize_ != row.size() || shadowRatio_ != devicePixelRatioF()) {
            shadowSize_ = row.size();
            shadowRatio_ = devicePixelRatioF();
            shadows_.clear();
        }
        const QRgb accent = row.accent().rgba();
        auto found = shadows_.find(accent);
        if (found == shadows_.end()) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(shadowSize_)), StatusEntryRow::cornerRadius,
                                 StatusEntryRow::cornerRadius);
            found = shadows_.emplace(accent, SoftShadow::of(shape, StatusPalette::withOpacity(row.accent(), 0.08), 10,
                                                            shadowRatio_))
                        .first;
        }
        return found->second;
    }

    QSize shadowSize_;
    qreal shadowRatio_ = 0;
    std::map<QRgb, SoftShadow> shadows_;
};

} // namespace

StatusEntryList::StatusEntryList(QWidget* parent) : QScrollArea(parent), stack_(new EntryStack(this)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(stack_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addStretch(1);
    setWidget(stack_);
    // The scroll area makes its widget opaque; the rows stand on the glass.
    stack_->setAutoFillBackground(false);
}

bool StatusEntryList::setRows(const std::vector<StatusRow>& items) {
    // An idle refresh brings the same rows; with thousands of them even
    // asking each widget costs more than comparing the plain values.
    if (items == shown_ && rows_.size() == items.size()) {
        return false;
    }
    auto* layout = static_cast<QVBoxLayout*>(stack_->layout());
    while (rows_.size() > items.size()) {
        delete rows_.back();
        rows_.pop_back();
    }
    shown_.resize(std::min(shown_.size(), items.size()));
    while (rows_.size() < items.size()) {
        auto* row = new StatusEntryRow(stack_);
        layout->insertWidget(static_cast<int>(rows_.size()), row);
        // Shown now, not when the layout gets round to it, so the list's height counts it.
        row->show();
        rows_.push_back(row);
    }
    for (size_t index = 0; index < items.size(); ++index) {
        if (index >= shown_.size() || !(shown_[index] == items[index])) {
            rows_[index]->setRow(items[index]);
        }
    }
    shown_ = items;
    const int shown = static_cast<int>(std::min<size_t>(items.size(), visibleRows));
    if (height() != rowPitch * shown || minimumHeight() != rowPitch * shown) {
        setFixedHeight(rowPitch * shown);
    }
    return true;
}

} // namespace quillstone
