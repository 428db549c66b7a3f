#pragma once

#include <QColor>
#include <QLabel>

namespace quillstone {

// A one-line label whose text is filled with a gradient from its leading to its
// trailing edge. The text stays the label's own, so it is read out as drawn.
class GradientLabel : public QLabel {
public:
    GradientLabel(const QString& text, QColor leading, QColor trailing, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor leading_;
    QColor trailing_;
};

} // namespace quillstone
