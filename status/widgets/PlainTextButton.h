#pragma once

#include <QAbstractButton>
#include <QColor>

namespace quillstone {

// A borderless button that is only its title, in its own font and colour; it
// dims a little while pressed.
class PlainTextButton : public QAbstractButton {
public:
    PlainTextButton(const QString& title, const QFont& font, const QColor& colour, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

} // namespace quillstone
