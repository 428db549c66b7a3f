#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// One step in the left column: its 30-point circle and its title.
class WizardStepRow : public QWidget {
public:
    enum class Progress { finished, current, later };

    WizardStepRow(int index, const QString& title, QWidget* parent = nullptr);

    void setProgress(Progress progress);
    Progress progress() const { return progress_; }

private:
    class Circle;

    Circle* circle_;
    QLabel* number_;
    QLabel* check_;
    QLabel* title_;
    Progress progress_ = Progress::later;
};

} // namespace quillstone
