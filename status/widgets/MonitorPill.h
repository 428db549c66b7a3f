#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// The capsule beside "Dashboard": a dot, green while the monitor is active and
// rose otherwise, and the monitor's status text.
class MonitorPill : public QWidget {
public:
    explicit MonitorPill(QWidget* parent = nullptr);

    void setStatus(const QString& text, bool active);
    QLabel* textLabel() const { return text_; }
    bool isActive() const { return active_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* text_;
    bool active_ = false;
};

} // namespace quillstone
