#pragma once

#include "status/widgets/RefreshButtonStyle.h"

#include <QAbstractButton>
#include <QPixmap>

class QVariantAnimation;

namespace quillstone {

// The round, icon-only refresh button. It reports hovering instead of showing
// it: the panel's state owns the hover flag and hands it back through setHovered.
class RefreshButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr const char* accessibleLabel = "Refresh Quillstone status";
    // Room around the 30-point frame for the hover scale and the glow.
    static constexpr int margin = 10;

    explicit RefreshButton(QWidget* parent = nullptr);

    void setHovered(bool hovered);
    const RefreshButtonStyle& style() const { return style_; }
    // The appearance drawn now, mid-animation included.
    RefreshButtonAppearance currentAppearance() const;

    QSize sizeHint() const override;

signals:
    void hoverChanged(bool hovered);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void animate(QVariantAnimation* animation, qreal target);
    const QPixmap& icon(const QColor& colour);

    RefreshButtonStyle style_;
    QVariantAnimation* hoverAnimation_;
    QVariantAnimation* pressAnimation_;
    qreal hoverAmount_ = 0;
    qreal pressAmount_ = 0;
    QPixmap icon_;
    QColor iconColour_;
};

} // namespace quillstone
