#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// One numbered instruction: its number in a small circle and its text.
class NumberedRow : public QWidget {
public:
    NumberedRow(int number, const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);

private:
    QLabel* text_;
};

} // namespace quillstone
