#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

class MonitorPill;

// "Dashboard" and the monitor pill, side by side on one text baseline.
class DashboardTitleRow : public QWidget {
public:
    static constexpr const char* title = "Dashboard";
    static constexpr int spacing = 10;

    explicit DashboardTitleRow(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return title_; }
    MonitorPill* pill() const { return pill_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Where each child's top goes so that both baselines meet.
    int titleTop() const;
    int pillTop() const;
    void layOut();
    void fitPill(int available);

    static constexpr int minimumPillWidth = 80;

    QLabel* title_;
    MonitorPill* pill_;
};

} // namespace quillstone
