#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace quillstone::StatusFont {

// The desktop's UI font at `pixelSize` device-independent pixels.
QFont system(int pixelSize, QFont::Weight weight = QFont::Normal);
// The desktop's fixed-pitch font at `pixelSize`.
QFont monospaced(int pixelSize);

// A text of the panel: its own label, so it is read out exactly as drawn.
QLabel* label(const QString& text, const QFont& font, const QColor& colour, QWidget* parent);
void setTextColour(QLabel* label, const QColor& colour);

} // namespace quillstone::StatusFont
