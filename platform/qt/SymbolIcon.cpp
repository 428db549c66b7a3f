#include "platform/qt/SymbolIcon.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QStandardPaths>

namespace quillstone {

namespace {

const QHash<QString, QString>& table() {
    static const QHash<QString, QString> names{
        {"arrow.clockwise", "view-refresh-symbolic"},
        {"arrow.down", "go-down-symbolic"},
        {"arrow.down.circle.fill", "go-bottom-symbolic"},
        {"arrow.triangle.2.circlepath.circle.fill", "view-refresh-symbolic"},
        {"bolt.fill", "weather-storm-symbolic"},
        {"checkmark", "object-select-symbolic"},
        {"checkmark.circle.fill", "emblem-ok-symbolic"},
        {"circle", "radio-symbolic"},
        {"exclamationmark", "dialog-warning-symbolic"},
        {"exclamationmark.triangle.fill", "dialog-warning-symbolic"},
        {"externaldrive.badge.questionmark", "drive-harddisk-symbolic"},
        {"folder", "folder-symbolic"},
        {"folder.fill", "folder-symbolic"},
        {"info.circle", "dialog-information-symbolic"},
        {"iphone", "phone-symbolic"},
        {"lock.shield.fill", "channel-secure-symbolic"},
        {"safari.fill", "web-browser-symbolic"},
        {"slider.horizontal.3", "preferences-system-symbolic"},
        {"sparkles", "starred-symbolic"},
        {"star.fill", "starred-symbolic"},
        {"square.and.arrow.down", "document-save-symbolic"},
        {"square.and.arrow.down.fill", "document-save-symbolic"},
        {"wrench.and.screwdriver.fill", "applications-engineering-symbolic"},
    };
    return names;
}

} // namespace

QString SymbolIcon::themeName(const QString& symbol) { return table().value(symbol); }

QPixmap SymbolIcon::pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio) {
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap result(pixels, pixels);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    auto name = themeName(symbol);
    QIcon icon = name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
    if (icon.isNull()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(pixels * 0.3, pixels * 0.3, pixels * 0.4, pixels * 0.4));
    } else {
        painter.drawPixmap(0, 0, icon.pixmap(QSize(pixels, pixels)).scaled(pixels, pixels, Qt::KeepAspectRatio,
                                                                           Qt::SmoothTransformation));
        // Symbolic icons are masks: keep their shape, take the wanted colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(result.rect(), colour);
    }
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

void SymbolIcon::installFallbackTheme() {
    // Platforms without a desktop theme (offscreen, bare X servers) search only
    // the resources; the installed themes live in the XDG data folders.
    QStringList paths = QIcon::themeSearchPaths();
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    for (const QString& folder : QString::fromLocal8Bit(dataDirs.isEmpty() ? "/usr/local/share:/usr/share" : dataDirs)
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString icons = folder + QStringLiteral("/icons");
        if (!paths.contains(icons)) {
            paths.append(icons);
        }
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName("Adwaita");
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") {
        QIcon::setThemeName("Adwaita");
    }
}

} // namespace quillstone
