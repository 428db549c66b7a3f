#include "status/widgets/StatusFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

namespace quillstone::StatusFont {

QFont system(int pixelSize, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont monospaced(int pixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* label(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    setTextColour(label, colour);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
    // A new palette repaints even when it is the same.
    if (label->palette().color(QPalette::WindowText) == colour) {
        return;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace quillstone::StatusFont
