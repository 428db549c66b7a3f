#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

class QLabel;

namespace quillstone {

// A symbol followed by its text, as in "Quillstone Monitor is installed".
class SymbolText : public QWidget {
public:
    SymbolText(const QString& symbol, const QString& text, const QFont& font, const QColor& colour,
               QWidget* parent = nullptr, int symbolSize = 0);

    QLabel* textLabel() const { return text_; }
    void setSymbol(const QString& symbol, const QColor& colour);
    void setText(const QString& text);

private:
    QLabel* symbol_;
    QLabel* text_;
    int symbolSize_;
};

} // namespace quillstone
