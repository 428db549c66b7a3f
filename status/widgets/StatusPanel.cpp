#include "status/widgets/StatusPanel.h"

#include "status/widgets/DashboardTitleRow.h"
#include "status/widgets/EmptyStatusView.h"
#include "status/widgets/GlassEffectView.h"
#include "status/widgets/MonitorPill.h"
#include "status/widgets/PlainTextButton.h"
#include "status/widgets/ProminentButton.h"
#include "status/widgets/RefreshButton.h"
#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"
#include "status/widgets/WordmarkView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace quillstone {

using namespace StatusPalette;

namespace {

// The line under the header: the separator, lightened.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), white(0.10));
        painter.fillRect(rect(), white(0.10));
    }
};

// The locale's short time, down to the minute: a few short formats, the C
// locale's among them, carry seconds, which would change the line on every refresh.
QString shortTime(const QTime& time, const QLocale& locale) {
    static const QRegularExpression seconds(QStringLiteral("[^Hhm'\\s]?s+"));
    return locale.toString(time, locale.timeFormat(QLocale::ShortFormat).remove(seconds));
}

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent), glass_(new GlassEffectView(this)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->addWidget(glass_);
    glass_->setFixedWidth(panelWidth + 2 * GlassEffectView::padding);

    auto* content = new QVBoxLayout(glass_);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    content->addWidget(buildHeader(glass_));
    content->addWidget(new Divider(glass_));
    body_ = buildBody(glass_);
    content->addWidget(body_);
    setRows({});
    setRestartOffered(false);
    setActionMessage(QString());
    setAvailableUpdate(std::nullopt);
}

QWidget* StatusPanel::buildHeader(QWidget* parent) {
    auto* header = new QWidget(parent);
    refresh_ = new RefreshButton(header);
    refresh_->setFixedSize(refresh_->sizeHint());
    auto* layout = new QHBoxLayout(header);
    // The refresh button carries its own room for scale and glow.
    layout->setContentsMargins(20, 16 - RefreshButton::margin, 20 - RefreshButton::margin, 16 - RefreshButton::margin);
    layout->addWidget(new WordmarkView(header), 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(refresh_, 0, Qt::AlignVCenter);
    connect(refresh_, &QAbstractButton::clicked, this, &StatusPanel::refreshRequested);
    connect(refresh_, &RefreshButton::hoverChanged, this, &StatusPanel::refreshHoverChanged);
    return header;
}

QWidget* StatusPanel::buildBody(QWidget* parent) {
    auto* body = new QWidget(parent);
    titleRow_ = new DashboardTitleRow(body);
    lastRefreshed_ = StatusFont::label(QString(), StatusFont::system(12), white(0.6), body);
    entries_ = new StatusEntryList(body);
    empty_ = new EmptyStatusView(body);
    restart_ = new ProminentButton(QString::fromUtf8(restartTitle), systemBlue(), body);
    actionMessage_ = StatusFont::label(QString(), StatusFont::system(11), white(0.65), body);
    actionMessage_->setWordWrap(true);
    stop_ = new PlainTextButton(QString::fromUtf8(stopTitle), StatusFont::system(11, QFont::Medium), white(0.62), body);
    stop_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    update_ = new PlainTextButton(QString(), StatusFont::system(12, QFont::DemiBold), updateAccentMagenta(), body);
    update_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);
    layout->addWidget(titleRow_);
    layout->addWidget(lastRefreshed_);
    layout->addWidget(entries_);
    layout->addWidget(empty_);
    layout->addWidget(restart_);
    layout->addWidget(actionMessage_);
    layout->addWidget(stop_, 0, Qt::AlignHCenter);
    layout->addWidget(update_);

    connect(restart_, &QAbstractButton::clicked, this, &StatusPanel::restartRequested);
    connect(stop_, &QAbstractButton::clicked, this, &StatusPanel::stopRequested);
    connect(update_, &QAbstractButton::clicked, this, &StatusPanel::updateRequested);
    return body;
}

void StatusPanel::setMonitorStatus(const QString& text, bool active) {
    titleRow_->pill()->setStatus(text, active);
    relayout();
}

void StatusPanel::relayout() {
    // The window takes its new height at once rather than one event per level later.
    for (QWidget* level : {body_, static_cast<QWidget*>(glass_)}) {
        level->layout()->invalidate();
        level->updateGeometry(); // also drops the size its parent's layout remembers
    }
    layout()->activate();
}

void StatusPanel::setLastRefreshed(const QDateTime& moment) {
    setTextIfChanged(lastRefreshed_, QString::fromUtf8(lastRefreshedPrefix) + shortTime(moment.toLocalTime().time(), locale()));
}

void StatusPanel::setRows(const std::vector<StatusRow>& items) {
    const bool changed = entries_->setRows(items);
    const bool empty = items.empty();
    // Nothing new: no layout pass over the rows either.
    if (!changed && entries_->isHidden() == empty && empty_->isHidden() != empty) {
        return;
    }
    entries_->setVisible(!empty);
    empty_->setVisible(empty);
    relayout();
}

void StatusPanel::setRestartOffered(bool offered, bool enabled) {
    restart_->setVisible(offered);
    restart_->setEnabled(enabled);
    relayout();
}

void StatusPanel::setActionMessage(const QString& message) {
    setTextIfChanged(actionMessage_, message);
    actionMessage_->setVisible(!message.isEmpty());
    relayout();
}

void StatusPanel::setAvailableUpdate(const std::optional<QString>& version) {
    if (version) {
        const QString title = QString::fromUtf8(updateTitle).arg(*version);
        if (update_->text() != title) {
            update_->setText(title);
            update_->setAccessibleName(QString::fromUtf8(updateLabel).arg(*version));
            update_->setAccessibleDescription(title);
            update_->updateGeometry();
        }
    }
    update_->setVisible(version.has_value());
    relayout();
}

void StatusPanel::showEvent(QShowEvent* event) {
    // Polished only now, the texts know their real heights.
    relayout();
    QWidget::showEvent(event);
}

void StatusPanel::setRefreshHovered(bool hovered) { refresh_->setHovered(hovered); }

void StatusPanel::setTranslucent(bool translucent) { glass_->setTranslucent(translucent); }

} // namespace quillstone
