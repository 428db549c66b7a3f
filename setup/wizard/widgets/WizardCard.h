#pragma once

#include <QColor>
#include <QFrame>
#include <QVBoxLayout>

namespace quillstone {

// A rounded card on the dark background; its content goes into content().
class WizardCard : public QFrame {
public:
    explicit WizardCard(QWidget* parent = nullptr, QColor tint = QColor());

    QVBoxLayout* content() const { return content_; }
    void setTint(const QColor& tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* content_;
    QColor tint_;
};

} // namespace quillstone
