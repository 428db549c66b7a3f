#pragma once

#include <QAbstractButton>
#include <QColor>

namespace quillstone {

// A filled, rounded button in a tint colour with a white title, stretching to
// the width it is given.
class ProminentButton : public QAbstractButton {
public:
    ProminentButton(const QString& title, const QColor& tint, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor tint_;
};

} // namespace quillstone
