#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// What the entries area shows while there is no entry to show.
class EmptyStatusView : public QWidget {
public:
    static constexpr const char* message = "No backup status yet";

    explicit EmptyStatusView(QWidget* parent = nullptr);

    QLabel* messageLabel() const { return message_; }

private:
    QLabel* message_;
};

} // namespace quillstone
