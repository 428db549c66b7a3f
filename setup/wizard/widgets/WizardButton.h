#pragma once

#include <QColor>
#include <QPushButton>
#include <QTimer>

namespace quillstone {

// A push button drawn as the wizard's bordered or prominent buttons, tinted,
// in the regular or large control size. While busy it shows a small progress
// indicator instead of its title; the title stays its accessible name.
class WizardButton : public QPushButton {
public:
    enum class Kind { bordered, prominent };
    enum class Size { regular, large };

    WizardButton(const QString& title, Kind kind, QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    void setSymbol(const QString& symbol);
    void setControlSize(Size size);
    void setBusy(bool busy);
    bool isBusy() const { return busy_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int controlHeight() const { return size_ == Size::large ? 40 : 30; }
    int symbolSize() const { return size_ == Size::large ? 18 : 15; }

    Kind kind_;
    Size size_ = Size::regular;
    QColor tint_;
    QString symbol_;
    bool busy_ = false;
    int spinnerPhase_ = 0;
    QTimer spinner_;
};

} // namespace quillstone
