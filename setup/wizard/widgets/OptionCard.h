#pragma once

#include <QAbstractButton>

class QLabel;

namespace quillstone {

// One integration to choose: a checkable button named by its title that
// reports checked while its integration is selected. A click, the keyboard and
// an assistive "toggle" all end in chosen(); the state, not the button,
// decides what is checked.
class OptionCard : public QAbstractButton {
    Q_OBJECT
public:
    OptionCard(const QString& title, const QString& badge, const QString& text, QWidget* parent = nullptr);

    void setSelected(bool selected);
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void chosen();

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* symbol_;
    bool syncing_ = false;
};

} // namespace quillstone
