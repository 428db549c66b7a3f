#pragma once

#include "status/StatusRow.h"

#include <QWidget>

class QLabel;

namespace quillstone {

class EntryBadge;

// One entry of the status file: badge, name and outcome, age and free space,
// on a rounded card tinted with the outcome's accent.
class StatusEntryRow : public QWidget {
public:
    static constexpr int height = 76;
    static constexpr qreal cornerRadius = 22;

    explicit StatusEntryRow(QWidget* parent = nullptr);

    // Only what differs from what is shown is redrawn.
    void setRow(const StatusRow& row);

    const std::string& entryId() const { return id_; }
    bool succeeded() const { return succeeded_; }
    QColor accent() const;
    QLabel* nameLabel() const { return name_; }
    QLabel* outcomeLabel() const { return outcome_; }
    QLabel* ageLabel() const { return age_; }
    QLabel* freeSpaceLabel() const { return freeSpace_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void setText(QLabel* label, const QString& text);

    std::string id_;
    bool succeeded_ = true;
    EntryBadge* badge_;
    QLabel* name_;
    QLabel* outcome_;
    QLabel* age_;
    QLabel* freeSpace_;
};

} // namespace quillstone
