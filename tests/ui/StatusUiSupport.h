#pragma once

#include "platform/qt/SymbolIcon.h"
#include "ui/ReadableText.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

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

// The whole widget, or the part of its window under it so it is seen on its real background.
inline void saveScreenshot(QWidget& widget, const QString& name, bool onWindow = false) {
    QDir().mkpath(QStringLiteral(QUILLSTONE_SCREENSHOT_DIR));
    const QPixmap picture = onWindow ? widget.window()->grab(QRect(widget.mapTo(widget.window(), QPoint(0, 0)),
                                                                   widget.size()))
                                     : widget.grab();
    picture.save(QStringLiteral(QUILLSTONE_SCREENSHOT_DIR "/%1.png").arg(name));
    expectReadable(*widget.window(), name);
}

struct AccessibleNode {
    QAccessible::Role role;
    QString name;
    QString description;
};

// Every visible object under `widget` as assistive technology reads it.
inline std::vector<AccessibleNode> accessibleTree(QWidget& widget) {
    std::vector<AccessibleNode> nodes;
    std::vector<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(&widget)};
    while (!pending.empty()) {
        QAccessibleInterface* node = pending.back();
        pending.pop_back();
        if (node == nullptr || node->state().invisible) {
            continue;
        }
        nodes.push_back({node->role(), node->text(QAccessible::Name), node->text(QAccessible::Description)});
        for (int index = 0; index < node->childCount(); ++index) {
            pending.push_back(node->child(index));
        }
    }
    return nodes;
}

inline bool hasNode(const std::vector<AccessibleNode>& nodes, QAccessible::Role role, const QString& name) {
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const AccessibleNode& node) { return node.role == role && node.name == name; });
}

} // namespace quillstone::testing
