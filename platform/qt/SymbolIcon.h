#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace quillstone {

// The symbols the windows name, drawn from the desktop's icon theme.
class SymbolIcon {
public:
    // The freedesktop icon for a symbol name; empty when the symbol is unknown.
    static QString themeName(const QString& symbol);
    // The symbol at size x size device-independent pixels in one colour
    // (symbolic icons are masks). A plain dot stands in when the theme lacks it.
    static QPixmap pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio = 1.0);
    // Adwaita as the fallback theme; call once the QGuiApplication exists.
    static void installFallbackTheme();
};

} // namespace quillstone
