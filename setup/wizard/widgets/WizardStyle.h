#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace quillstone {

// Colours, type sizes and symbols of the wizard, in one place so every
// screen draws the same dark look.
namespace WizardStyle {

QColor accent();    // the product's pink
QColor mint();
QColor orange();
QColor cyan();
QColor secondary(); // secondary text on the dark background
QColor white(qreal opacity = 1.0);
// Text on a filled control: white where it reads at 4.5:1 on the fill (the
// pink and mint fills are too light for it), a near-black ink otherwise.
QColor textOn(const QColor& fill);

// n points = n device-independent pixels of the desktop's UI font.
QFont font(int points, QFont::Weight weight = QFont::Normal);
QFont headline(); // 13 points, semibold
QFont monospaced(int points = 13);

// A symbol drawn at size x size points, tinted.
QPixmap symbol(const QString& name, int size, const QColor& colour, qreal devicePixelRatio = 1.0);

// A word-wrapped text label named by its text, as screen readers read it.
QLabel* label(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr);
// A label that shows a symbol only.
QLabel* symbolLabel(const QString& name, int size, const QColor& colour, QWidget* parent = nullptr);

void setTextColour(QWidget* widget, const QColor& colour);

// The dark appearance, for the window and the dialogs it opens.
QPalette darkPalette();

} // namespace WizardStyle

} // namespace quillstone
