#pragma once

#include "status/StatusRow.h"

#include <QScrollArea>

#include <vector>

namespace quillstone {

class StatusEntryRow;

// The entries, one row each in the document's order: 88 points per entry for
// up to four, and the rest scroll, without scroll bars.
class StatusEntryList : public QScrollArea {
public:
    static constexpr int rowPitch = 88;
    static constexpr int visibleRows = 4;
    static constexpr int rowSpacing = 12;

    explicit StatusEntryList(QWidget* parent = nullptr);

    // Touches only the rows that differ from those shown; false when none did.
    bool setRows(const std::vector<StatusRow>& rows);
    const std::vector<StatusEntryRow*>& rows() const { return rows_; }

private:
    QWidget* stack_;
    std::vector<StatusEntryRow*> rows_;
    std::vector<StatusRow> shown_;
};

} // namespace quillstone
