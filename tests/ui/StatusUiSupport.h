#pragma once

#include "platform/qt/SymbolIcon.h"
#include "ui/ReadableText.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QWidget>

namespace quillstone::testing {

// The one application object of the UI test program, made on first use.
inline QApplication& statusTestApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    SymbolIcon::installFallbackTheme();
    return *application;
}

// A member to declare before any widget member of a fixture.
struct WithApplication {
    WithApplication() { statusTestApplication(); }
};

// Every visible text of the window is read as drawn, and every control has a name.
inline void expectAccessibleAsDrawn(QWidget& window, const QString& screen) {
    for (QWidget* child : window.findChildren<QWidget*>()) {
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(child);
        if (!child->isVisibleTo(&window) || node == nullptr) {
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(child)) {
            EXPECT_EQ(node->text(QAccessible::Name), label->text()) << screen.toStdString();
        } else if (qobject_cast<QAbstractButton*>(child) != nullptr) {
            EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << screen.toStdString();
        }
    }
}

// The whole widget, or the part of its window under it so it is seen on its real background.
inline void saveScreenshot(QWidget& widget, const QString& name, bool onWindow = false) {
    QDir().mkpath(QStringLiteral(QUILLSTONE_SCREENSHOT_DIR));
    const QPixmap picture = onWindow ? widget.window()->grab(QRect(widget.mapTo(widget.window(), QPoint(0, 0)),
                                                                   widget.size()))
                                     : widget.grab();
    picture.save(QStringLiteral(QUILLSTONE_SCREENSHOT_DIR "/%1.png").arg(name));
    expectReadable(*widget.window(), name);
    expectAccessibleAsDrawn(*widget.window(), name);
}

} // namespace quillstone::testing
