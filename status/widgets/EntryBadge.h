#pragma once

#include <QPixmap>
#include <QWidget>

namespace quillstone {

// The round 48-point badge of an entry: a check mark for success, an
// exclamation mark otherwise, on a tinted ring in the entry's accent.
class EntryBadge : public QWidget {
public:
    static constexpr int side = 48;

    explicit EntryBadge(QWidget* parent = nullptr);

    void setSucceeded(bool succeeded);
    bool succeeded() const { return succeeded_; }
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool succeeded_ = true;
    QPixmap symbol_;
};

} // namespace quillstone
