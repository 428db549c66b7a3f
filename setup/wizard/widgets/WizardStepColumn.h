#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

class QLabel;

namespace quillstone {

class WizardStepRow;

// The left column: one row per step and, under them, the setup guide's address.
class WizardStepColumn : public QWidget {
public:
    static constexpr int width = 245;

    WizardStepColumn(const QStringList& steps, QWidget* parent = nullptr);

    void setCurrentStep(int step);
    void setGuideAddress(const QString& address);
    const std::vector<WizardStepRow*>& rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<WizardStepRow*> rows_;
    QLabel* guide_;
};

} // namespace quillstone
